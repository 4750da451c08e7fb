// The Windows backend's platform: one per process, made by the start routine.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/platform.h"

namespace rt::win32 {

class Win32Platform final : public Platform {
public:
    explicit Win32Platform(std::wstring title) : Platform(std::move(title)) {}

    // The form's window, owner of message boxes and error reports (null before it exists).
    void setOwner(HWND owner) { owner_ = owner; }
    HWND owner() const { return owner_; }

    std::wstring findFirst(const std::wstring& path, int attributes) override;   // files.cpp
    void makeFolder(const std::wstring& path) override;                          // files.cpp
    void deleteFiles(const std::wstring& pattern) override;                      // files.cpp
    ObjectRef createObject(const std::wstring& progId) override;                 // automation.cpp
    double startProgram(const std::wstring& path, int windowStyle) override;     // process.cpp
    int messageBox(const std::wstring& prompt, int buttons, const std::wstring& title) override;  // window.cpp
    [[noreturn]] void end() override;                                            // start.cpp
    void reportError(const RuntimeError& error) override;                        // window.cpp

private:
    HWND owner_ = nullptr;
};

// A Win32 error code as the runtime error the forms language gives it (files.cpp):
// not found 53, path not found 76, access denied 75, write-protected 70, bad name 52,
// not ready 68, disk full 61, else 5.
[[noreturn]] void raiseWin32Error(DWORD code);

struct ComFunctions;

// Installs the message filter that retries calls a busy automation server rejects
// (automation.cpp); false when COM refuses it. Called when COM is started (system_libraries.cpp).
bool installMessageFilter(const ComFunctions& com);

}  // namespace rt::win32
