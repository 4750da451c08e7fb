// Automation objects: created by programmatic identifier, reached late-bound through IDispatch.
#include "win32_platform.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "com_ptr.h"
#include "runtime/error.h"
#include "system_libraries.h"

namespace rt::win32 {

namespace {

// How long a call that a busy server rejects is retried, and the pause between tries (ms).
constexpr DWORD kRetryPeriod = 30000;
constexpr DWORD kRetryPause = 250;
constexpr DWORD kCancelCall = static_cast<DWORD>(-1);

class DispatchObject final : public Object {
public:
    explicit DispatchObject(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

    // The interface, for passing this object as an argument.
    IDispatch* dispatch() const { return dispatch_.get(); }

    Variant invoke(std::wstring_view member, CallKind kind, const std::vector<Variant>& args) override;

private:
    DISPID memberId(std::wstring_view member) const;

    ComPtr<IDispatch> dispatch_;
};

// The arguments of one call as IDispatch wants them: last argument first.
class ArgumentList {
public:
    explicit ArgumentList(const std::vector<Variant>& args);
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    ~ArgumentList()
    {
        for (VARIANT& value : values_)
            clearVariant(value);
    }

    VARIANT* data() { return values_.empty() ? nullptr : values_.data(); }
    UINT size() const { return static_cast<UINT>(values_.size()); }

private:
    std::vector<VARIANT> values_;
};

// The exception a server filled in; its strings are freed with it.
class ExceptionInfo {
public:
    ExceptionInfo() = default;
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    ~ExceptionInfo()
    {
        freeString(info_.bstrSource);
        freeString(info_.bstrDescription);
        freeString(info_.bstrHelpFile);
    }

    EXCEPINFO* get() { return &info_; }
    RuntimeError error();

private:
    EXCEPINFO info_{};
};

// Fills `out` (already initialised, empty) with the value of `in`.
void toVariant(const Variant& in, VARIANT& out)
{
    if (in.isString()) {
        out.bstrVal = Bstr(in.string()).release();
        out.vt = VT_BSTR;
    } else if (in.isBoolean()) {
        out.boolVal = in.boolean() != kFalse ? VARIANT_TRUE : VARIANT_FALSE;
        out.vt = VT_BOOL;
    } else if (in.isNumber()) {
        out.dblVal = in.number();
        out.vt = VT_R8;
    } else if (in.isObject()) {
        const auto* object = dynamic_cast<const DispatchObject*>(in.object().get());
        if (object == nullptr)
            raiseError(err::kTypeMismatch);
        out.pdispVal = object->dispatch();
        out.pdispVal->AddRef();
        out.vt = VT_DISPATCH;
    } else {
        out.scode = DISP_E_PARAMNOTFOUND;
        out.vt = VT_ERROR;
    }
}

ArgumentList::ArgumentList(const std::vector<Variant>& args) : values_(args.size(), emptyVariant())
{
    for (std::size_t i = 0; i < args.size(); ++i)
        toVariant(args[i], values_[args.size() - 1 - i]);
}

bool isNumeric(VARTYPE type)
{
    switch (type) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
    case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

// The value a call returned. A value the runtime has no kind for, and that does not read as
// text, is missing: a caller that uses it gets a type mismatch, one that drops it nothing.
Variant fromVariant(VariantValue& result)
{
    const VARIANT& value = result.value();
    switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
        return {};
    case VT_BSTR:
        return toWString(value.bstrVal);
    case VT_BOOL:
        return Variant::boolean(value.boolVal != VARIANT_FALSE);
    case VT_DISPATCH:
        if (value.pdispVal == nullptr)
            return ObjectRef();
        value.pdispVal->AddRef();
        return ObjectRef(std::make_shared<DispatchObject>(ComPtr<IDispatch>(value.pdispVal)));
    default:
        break;
    }
    VariantValue converted;
    const VARTYPE target = isNumeric(value.vt) ? VT_R8 : VT_BSTR;
    if (FAILED(com().variantChangeType(converted.get(), result.get(), 0, target)))
        return {};
    if (target == VT_R8)
        return Variant(converted.value().dblVal);
    return toWString(converted.value().bstrVal);
}

// The server's error: its number (wCode, or the scode) and its description, which may be
// empty and then gives the number's standard text.
RuntimeError ExceptionInfo::error()
{
    if (info_.pfnDeferredFillIn != nullptr && FAILED(info_.pfnDeferredFillIn(&info_)))
        return errorFromHResult(DISP_E_EXCEPTION);
    HResult code = info_.wCode != 0 ? hresultOfError(info_.wCode) : info_.scode;
    if (code == kOk)
        code = DISP_E_EXCEPTION;
    return errorFromHResult(code, toWString(info_.bstrDescription));
}

WORD dispatchFlags(CallKind kind)
{
    switch (kind) {
    case CallKind::Get:
    case CallKind::Method:
        // What late-bound calls send: the server may treat the member either way.
        return DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    case CallKind::Put:
        return DISPATCH_PROPERTYPUT;
    }
    raiseError(err::kInternal);
}

DISPID DispatchObject::memberId(std::wstring_view member) const
{
    std::wstring name(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (hr == DISP_E_UNKNOWNNAME)
        raiseError(err::kNoSuchMember);
    if (FAILED(hr))
        throw errorFromHResult(hr);
    return id;
}

Variant DispatchObject::invoke(std::wstring_view member, CallKind kind, const std::vector<Variant>& args)
{
    if (kind == CallKind::Put && args.size() != 1)
        raiseError(err::kInvalidCall);
    const DISPID id = memberId(member);
    ArgumentList arguments(args);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{arguments.data(), nullptr, arguments.size(), 0};
    if (kind == CallKind::Put) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    VariantValue result;
    ExceptionInfo exception;
    UINT badArgument = 0;
    const HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, dispatchFlags(kind), &params,
                                         kind == CallKind::Put ? nullptr : result.get(), exception.get(),
                                         &badArgument);
    if (hr == DISP_E_EXCEPTION)
        throw exception.error();
    if (hr == DISP_E_MEMBERNOTFOUND)
        raiseError(err::kNoSuchMember);
    if (FAILED(hr))
        throw errorFromHResult(hr);
    return fromVariant(result);
}

// Accepts every incoming call, and retries an outgoing call that a busy server rejected
// for a bounded time. One instance lives for the whole process.
class RetryingMessageFilter final : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IMessageFilter) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IMessageFilter*>(this);
        return S_OK;
    }
    // Static lifetime: references are not counted.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejectType) override
    {
        if (rejectType == SERVERCALL_RETRYLATER && elapsed < kRetryPeriod)
            return kRetryPause;
        return kCancelCall;
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

RetryingMessageFilter messageFilter;

}  // namespace

ObjectRef Win32Platform::createObject(const std::wstring& progId)
{
    const ComFunctions& functions = startCom(err::kCantCreateObject);
    CLSID classId;
    if (FAILED(functions.clsidFromProgId(progId.c_str(), &classId)))
        raiseError(err::kCantCreateObject);
    ComPtr<IUnknown> unknown;
    if (FAILED(functions.coCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IUnknown, unknown.putVoid())))
        raiseError(err::kCantCreateObject);
    ComPtr<IDispatch> dispatch;
    if (FAILED(unknown->QueryInterface(IID_IDispatch, dispatch.putVoid())))
        raiseError(err::kCantCreateObject);
    return std::make_shared<DispatchObject>(std::move(dispatch));
}

bool installMessageFilter(const ComFunctions& com)
{
    ComPtr<IMessageFilter> previous;
    return SUCCEEDED(com.coRegisterMessageFilter(&messageFilter, previous.put()));
}

}  // namespace rt::win32
