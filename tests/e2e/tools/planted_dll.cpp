// A DLL planted beside a program under the name of a system DLL, to catch a program that loads
// DLLs from its own folder. When loaded it appends one JSON line to the file named by
// ORVANE_PLANTED_LOG: its own path (the name it was planted under) and the program that loaded it.
// It exports nothing, imports kernel32 only (so it loads under any name) and has no C runtime: a
// program that goes on to call into it fails, after the line is written.
#include <windows.h>

namespace {

// Static: one load per process, under the loader's lock, and no room to spare on the stack.
wchar_t text[4 * MAX_PATH + 64];
char utf8[sizeof text / sizeof text[0] * 3];
int length = 0;

void add(const wchar_t* part)
{
    for (; *part != L'\0' && length < static_cast<int>(ARRAYSIZE(text)) - 1; ++part)
        text[length++] = *part;
}

// A path as a JSON string: quoted, backslashes doubled.
void addPath(HMODULE module)
{
    wchar_t path[MAX_PATH];
    const DWORD size = GetModuleFileNameW(module, path, MAX_PATH);
    path[size < MAX_PATH ? size : MAX_PATH - 1] = L'\0';
    add(L"\"");
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        const wchar_t one[2] = {*c, L'\0'};
        add(*c == L'\\' || *c == L'"' ? L"\\" : L"");
        add(one);
    }
    add(L"\"");
}

void recordLoad(HMODULE self)
{
    wchar_t logPath[MAX_PATH];
    const DWORD size = GetEnvironmentVariableW(L"ORVANE_PLANTED_LOG", logPath, MAX_PATH);
    if (size == 0 || size >= MAX_PATH)
        return;
    add(L"{\"dll\":");
    addPath(self);
    add(L",\"program\":");
    addPath(nullptr);
    add(L"}\n");
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8, nullptr, nullptr);
    const HANDLE log = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return;  // nowhere to report it; the load still shows in Wine's loader trace
    DWORD written = 0;
    WriteFile(log, utf8, static_cast<DWORD>(bytes), &written, nullptr);
    CloseHandle(log);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        recordLoad(instance);
    }
    return TRUE;
}
