#include "runtime/vba.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/platform.h"

void __vbaEnd()
{
    rt::platform().end();
    std::abort();  // a backend's end() never returns; the compiler cannot see that through the call
}

std::wstring __vbaStrCat(const std::wstring& left, const std::wstring& right)
{
    std::wstring joined;
    joined.reserve(left.size() + right.size());
    joined += left;
    joined += right;
    return joined;
}

int __vbaStrCmp(const std::wstring& left, const std::wstring& right)
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (left[i] != right[i])
            return left[i] < right[i] ? -1 : 1;
    }
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}

rt::Object& __vbaObjVar(const rt::Variant& object)
{
    return *object.object();
}

void __vbaLateMemCall(rt::Object& object, std::wstring_view name, int argCount,
                      const std::vector<rt::Variant>& args)
{
    if (argCount < 0 || static_cast<std::size_t>(argCount) != args.size())
        rt::raiseError(rt::err::kInvalidCall);
    object.invoke(name, rt::CallKind::Method, args);
}

rt::Variant __vbaVarLateMemCallLdRf(const rt::Variant& object, std::wstring_view name, int argCount)
{
    if (argCount != 0)
        rt::raiseError(rt::err::kInvalidCall);
    return __vbaObjVar(object).invoke(name, rt::CallKind::Get, {});
}

void __vbaVarLateMemSt(const rt::Variant& object, std::wstring_view name, const rt::Variant& value)
{
    __vbaObjVar(object).invoke(name, rt::CallKind::Put, {value});
}

void __vbaHresultCheckObj(rt::HResult hr, std::wstring_view, std::wstring_view, std::wstring_view)
{
    throw rt::errorFromHResult(hr);
}
