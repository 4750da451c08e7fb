// The Windows entry's calls: hardening, then the start-up form and its message loop.
#include <windows.h>

#include <exception>
#include <memory>

#include "form_window.h"
#include "runtime/start.h"
#include "runtime/text.h"
#include "system_libraries.h"
#include "win32_platform.h"

namespace rt {

namespace {

// The exit code of a program that could not build its window.
constexpr int kStartFailed = 1;

int runMessageLoop(win32::FormWindow& window)
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            win32::raiseLastError();
        if (!window.translateKeys(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

int runForm(const Project& project, win32::Win32Platform& platform)
{
    const std::unique_ptr<Form> form = project.startupForm();
    win32::FormWindow window(*form);
    window.create(GetModuleHandleW(nullptr));
    platform.setOwner(window.hwnd());
    form->attach(&window);
    raiseEvent(*form, "Form", Event::Load);
    window.show();
    const int exitCode = runMessageLoop(window);
    platform.setOwner(nullptr);
    return exitCode;
}

int run(const Project& project)
{
    win32::Win32Platform platform(fromCp1252(project.title));
    setPlatform(&platform);
    try {
        return runForm(project, platform);
    } catch (const RuntimeError& error) {
        platform.setOwner(nullptr);
        platform.reportError(error);
    } catch (const std::exception&) {
        platform.setOwner(nullptr);
        platform.reportError(RuntimeError(err::kInternal, standardDescription(err::kInternal)));
    }
    return kStartFailed;
}

}  // namespace

void hardenProcess()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = win32::procedure<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
    if (setDefault != nullptr && setDefault(win32::kLoadLibrarySearchSystem32))
        return;
    // Older systems: at least take the current folder out of the search.
    if (const auto setDirectory = win32::procedure<SetDllDirectoryFunction>(kernel, "SetDllDirectoryW"))
        setDirectory(L"");
}

void startRoutine(const Project& project)
{
    ExitProcess(static_cast<UINT>(run(project)));
}

}  // namespace rt

namespace rt::win32 {

// Ends at once; a program it started keeps running.
void Win32Platform::end()
{
    ExitProcess(0);
}

}  // namespace rt::win32
