// What a backend provides: the operations that reach the machine. The Windows backend and
// the headless test backend each implement it; one is current for the whole process.
#pragma once

#include <string>

#include "runtime/error.h"
#include "runtime/variant.h"

namespace rt {

class Platform {
public:
    explicit Platform(std::wstring title) : title_(std::move(title)) {}
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform() = default;

    // The program's title: the caption of message boxes given no title, and of error reports.
    const std::wstring& title() const { return title_; }

    virtual std::wstring findFirst(const std::wstring& path, int attributes) = 0;
    virtual void makeFolder(const std::wstring& path) = 0;
    virtual void deleteFiles(const std::wstring& pattern) = 0;
    virtual ObjectRef createObject(const std::wstring& progId) = 0;
    virtual double startProgram(const std::wstring& path, int windowStyle) = 0;
    virtual int messageBox(const std::wstring& prompt, int buttons, const std::wstring& title) = 0;
    [[noreturn]] virtual void end() = 0;
    virtual void reportError(const RuntimeError& error) = 0;

private:
    std::wstring title_;
};

Platform& platform();
void setPlatform(Platform* platform);

}  // namespace rt
