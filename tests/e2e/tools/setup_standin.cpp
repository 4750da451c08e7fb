// A stand-in for the product's setup programs. It records that it ran by appending one JSON line to
// the file named by ORVANE_STANDIN_LOG ("standin.log" beside itself when unset): its module path,
// current folder, command line and the show state it was started with. Then it shows a small
// window titled "Setup stand-in" until the window is closed or the file named by
// ORVANE_STANDIN_QUIT exists; with ORVANE_STANDIN_EXIT_AT_ONCE=1 it ends right after logging.
//
// With ORVANE_STANDIN_INSTALL_FROM naming a folder, it first copies that folder's contents
// (subfolders too) into c:\PROGRAMMI\ORVANE_Quorbel_3, as the real setup installs the product.
#include <windows.h>

#include <optional>
#include <string>

#include "tool_support.h"

namespace {

const wchar_t kProductFolder[] = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3";
const wchar_t kWindowClass[] = L"OrvaneSetupStandIn";
constexpr UINT_PTR kQuitTimer = 1;

std::optional<std::wstring> quitFile;

void makeFolder(const std::wstring& path)
{
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        tools::fail("CreateDirectoryW");
}

struct Search {
    explicit Search(const std::wstring& pattern) : handle(FindFirstFileW(pattern.c_str(), &entry))
    {
        if (handle == INVALID_HANDLE_VALUE)
            tools::fail("FindFirstFileW");
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;
    ~Search() { FindClose(handle); }
    bool next() { return FindNextFileW(handle, &entry) != 0; }
    WIN32_FIND_DATAW entry;
    HANDLE handle;
};

// Copies every file and subfolder of `from` into `to`, overwriting; returns the number of files.
int copyTree(const std::wstring& from, const std::wstring& to)
{
    makeFolder(to);
    Search search(from + L"\\*");
    int copied = 0;
    do {
        const std::wstring name = search.entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring source = from + L"\\" + name;
        const std::wstring target = to + L"\\" + name;
        if (search.entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            copied += copyTree(source, target);
        else if (CopyFileW(source.c_str(), target.c_str(), FALSE))
            ++copied;
        else
            tools::fail("CopyFileW");
    } while (search.next());
    return copied;
}

std::wstring currentFolder()
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        tools::fail("GetCurrentDirectoryW");
    return std::wstring(buffer, length);
}

void logStart(std::optional<int> installed)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const bool useShowWindow = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;
    std::string line = "{\"module\":" + tools::json(tools::modulePath(nullptr)) +
                       ",\"cwd\":" + tools::json(currentFolder()) +
                       ",\"cmdline\":" + tools::json(std::wstring_view(GetCommandLineW())) +
                       ",\"use_show_window\":" + tools::json(useShowWindow) +
                       ",\"show\":" + tools::json(static_cast<long long>(startup.wShowWindow)) +
                       ",\"pid\":" + tools::json(static_cast<long long>(GetCurrentProcessId()));
    if (installed)
        line += ",\"installed_files\":" + tools::json(static_cast<long long>(*installed));
    const auto log = tools::environment(L"ORVANE_STANDIN_LOG");
    tools::appendLine(log ? *log : tools::besideModule(nullptr, L"standin.log"), line + "}");
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (quitFile && GetFileAttributesW(quitFile->c_str()) != INVALID_FILE_ATTRIBUTES)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int showWindowUntilClosed(HINSTANCE instance, int show)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassW(&windowClass))
        tools::fail("RegisterClassW");
    HWND window = CreateWindowW(kWindowClass, L"Setup stand-in", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                320, 160, nullptr, nullptr, instance, nullptr);
    if (!window)
        tools::fail("CreateWindowW");
    quitFile = tools::environment(L"ORVANE_STANDIN_QUIT");
    if (!SetTimer(window, kQuitTimer, 100, nullptr))
        tools::fail("SetTimer");
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    try {
        std::optional<int> installed;
        if (const auto source = tools::environment(L"ORVANE_STANDIN_INSTALL_FROM")) {
            makeFolder(L"c:\\PROGRAMMI");
            installed = copyTree(*source, kProductFolder);
        }
        logStart(installed);
        if (tools::environment(L"ORVANE_STANDIN_EXIT_AT_ONCE") == L"1")
            return 0;
        return showWindowUntilClosed(instance, show);
    } catch (const std::exception& e) {
        // Logged rather than shown: a box would hold a test until its timeout.
        const auto log = tools::environment(L"ORVANE_STANDIN_LOG");
        try {
            tools::appendLine(log ? *log : tools::besideModule(nullptr, L"standin.log"),
                              "{\"error\":" + tools::jsonUtf8(e.what()) + "}");
        } catch (const std::exception&) {
        }
        return 1;
    }
}
