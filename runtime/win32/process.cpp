// Program start: the program by its exact path, without arguments, not awaited.
#include "win32_platform.h"

#include <string>

#include "runtime/error.h"
#include "system_libraries.h"

namespace rt::win32 {

namespace {

// Windows refuses to create a process that needs elevation with this code (from Vista on).
constexpr DWORD kElevationRequired = 740;

// A kernel handle, closed when it goes out of scope.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle()
    {
        if (handle_ != nullptr)
            CloseHandle(handle_);
    }

    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The window state of a forms-language window style (0 to 4 and 6); another style is an
// invalid argument.
WORD showCommand(int windowStyle)
{
    switch (windowStyle) {
    case 0:
        return SW_HIDE;
    case 1:
        return SW_SHOWNORMAL;
    case 2:
        return SW_SHOWMINIMIZED;
    case 3:
        return SW_SHOWMAXIMIZED;
    case 4:
        return SW_SHOWNOACTIVATE;
    case 6:
        return SW_SHOWMINNOACTIVE;
    default:
        raiseError(err::kInvalidCall);
    }
}

// The folder that holds the program: "d:\win9\setup.exe" gives "d:\win9", "d:\setup.exe"
// gives "d:\" (the root, not the drive's current folder); a bare name gives "".
std::wstring folderOf(const std::wstring& path)
{
    const std::size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos)
        return {};
    if (cut == 2 && path[1] == L':')
        return path.substr(0, 3);
    return path.substr(0, cut);
}

const wchar_t* orNull(const std::wstring& text)
{
    return text.empty() ? nullptr : text.c_str();
}

// A program that is not there is "file not found", whichever part of its path is missing;
// the program's own folder is the working folder, so a missing folder also fails as ERROR_DIRECTORY.
[[noreturn]] void raiseStartError(DWORD code)
{
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_DIRECTORY)
        raiseError(err::kFileNotFound);
    if (code == ERROR_CANCELLED)
        raiseError(err::kPermissionDenied);
    raiseWin32Error(code);
}

// The process id, looked up at run time: the call exists from Windows XP SP1 on, and only
// systems that ask for elevation (Vista on) come here.
double processId(HANDLE process)
{
    const auto getProcessId =
        procedure<DWORD(WINAPI*)(HANDLE)>(GetModuleHandleW(L"kernel32.dll"), "GetProcessId");
    return getProcessId == nullptr ? 0 : getProcessId(process);
}

// Starts the program through the shell, which shows the elevation prompt.
double startElevated(const std::wstring& path, const std::wstring& folder, WORD show, HWND owner)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.lpDirectory = orNull(folder);
    info.nShow = show;
    if (!shellExecuteEx(&info))
        raiseStartError(GetLastError());
    if (info.hProcess == nullptr)
        return 0;
    const OwnedHandle process(info.hProcess);
    return processId(process.get());
}

}  // namespace

double Win32Platform::startProgram(const std::wstring& path, int windowStyle)
{
    const WORD show = showCommand(windowStyle);
    const std::wstring folder = folderOf(path);
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION started{};
    if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                       nullptr, orNull(folder), &startup, &started)) {
        const OwnedHandle process(started.hProcess);
        const OwnedHandle thread(started.hThread);
        return started.dwProcessId;
    }
    const DWORD code = GetLastError();
    if (code == kElevationRequired)
        return startElevated(path, folder, show, owner());
    raiseStartError(code);
}

}  // namespace rt::win32
