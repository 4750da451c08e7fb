#include "runtime/ops.h"

#include "runtime/error.h"
#include "runtime/platform.h"

namespace rt {

namespace {

Platform* current = nullptr;

}  // namespace

Platform& platform()
{
    if (current == nullptr)
        raiseError(err::kInternal);
    return *current;
}

void setPlatform(Platform* platform)
{
    current = platform;
}

std::wstring Dir(const std::wstring& pathName, int attributes)
{
    return platform().findFirst(pathName, attributes);
}

void MkDir(const std::wstring& path)
{
    platform().makeFolder(path);
}

void Kill(const std::wstring& pattern)
{
    platform().deleteFiles(pattern);
}

Variant CreateObject(const std::wstring& progId, const Variant& serverName)
{
    if (!serverName.isMissing() && !serverName.string().empty())
        raiseError(err::kCantCreateObject);
    return Variant(platform().createObject(progId));
}

double Shell(const std::wstring& pathName, int windowStyle)
{
    return platform().startProgram(pathName, windowStyle);
}

int MsgBox(const Variant& prompt, int buttons, const Variant& title, const Variant&, const Variant&)
{
    const std::wstring& text = prompt.string();
    const bool untitled = title.isMissing() || title.string().empty();
    return platform().messageBox(text, buttons, untitled ? platform().title() : title.string());
}

}  // namespace rt
