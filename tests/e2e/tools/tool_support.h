// What the test tools share: JSON lines in UTF-8, environment variables, appending to a log file,
// and one way to report a failed system call.
#pragma once

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tools {

// A failed system call: the call's name and GetLastError() at the point of failure.
struct SystemError : std::runtime_error {
    SystemError(const std::string& what, DWORD code)
        : std::runtime_error(what + " failed, error " + std::to_string(code)), code(code) {}
    DWORD code;
};

[[noreturn]] inline void fail(const char* call)
{
    throw SystemError(call, GetLastError());
}

inline std::string utf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0)
        fail("WideCharToMultiByte");
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// A JSON string literal of UTF-8 text, quotes included.
inline std::string jsonUtf8(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            wsprintfA(escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Adds an item to a comma-separated JSON list under construction.
inline void appendItem(std::string& list, const std::string& item)
{
    if (!list.empty())
        list += ',';
    list += item;
}

inline std::string json(std::wstring_view text)
{
    return jsonUtf8(utf8(text));
}

inline std::string json(bool value)
{
    return value ? "true" : "false";
}

inline std::string json(long long value)
{
    return std::to_string(value);
}

inline std::string jsonRect(const RECT& r)
{
    return "{\"x\":" + json(static_cast<long long>(r.left)) + ",\"y\":" + json(static_cast<long long>(r.top)) +
           ",\"w\":" + json(static_cast<long long>(r.right - r.left)) +
           ",\"h\":" + json(static_cast<long long>(r.bottom - r.top)) + "}";
}

inline std::optional<std::wstring> environment(const wchar_t* name)
{
    wchar_t buffer[1024];
    const DWORD length = GetEnvironmentVariableW(name, buffer, ARRAYSIZE(buffer));
    if (length == 0 || length >= ARRAYSIZE(buffer))
        return std::nullopt;
    return std::wstring(buffer, length);
}

inline std::wstring modulePath(HMODULE module)
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        fail("GetModuleFileNameW");
    return std::wstring(buffer, length);
}

// The path of a file named `name` in the folder of `module`.
inline std::wstring besideModule(HMODULE module, const wchar_t* name)
{
    std::wstring path = modulePath(module);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + name;
}

struct Handle {
    explicit Handle(HANDLE h) : h(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (h != INVALID_HANDLE_VALUE && h != nullptr)
            CloseHandle(h);
    }
    HANDLE h;
};

// Appends one line (a newline is added) to the file, creating it; each line is written with one
// call so that lines of concurrent writers do not interleave.
inline void appendLine(const std::wstring& path, const std::string& line)
{
    Handle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.h == INVALID_HANDLE_VALUE)
        fail("CreateFileW");
    const std::string data = line + "\n";
    DWORD written = 0;
    if (!WriteFile(file.h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) || written != data.size())
        fail("WriteFile");
}

}  // namespace tools
