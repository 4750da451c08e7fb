// The test inspector: run in the same prefix and display as the program under test, it reads what
// X cannot (window tree, control texts, focus, message boxes, version records, icons, the cursor)
// and prints one JSON object per line in UTF-8.
//
//   inspector windows            visible top-level windows
//   inspector children HWND      every descendant control of HWND
//   inspector focus              the focused control of the foreground window's thread
//   inspector msgbox             every visible dialog box (#32770) with its text and buttons
//   inspector version FILE       the version record of FILE
//   inspector icon FILE          the entries of icon group 1 of FILE
//   inspector cursor             the cursor handle shown and the class cursor under the pointer
//   inspector close HWND         posts WM_CLOSE to HWND, as the caption's close button does
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "tool_support.h"
#include "file_resources.h"

namespace {

using tools::json;
using tools::jsonRect;

void print(const std::string& line)
{
    const std::string data = line + "\n";
    DWORD written = 0;
    if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), data.data(), static_cast<DWORD>(data.size()), &written, nullptr))
        tools::fail("WriteFile");
}

std::string jsonHandle(HWND hwnd)
{
    return json(static_cast<long long>(reinterpret_cast<uintptr_t>(hwnd)));
}

HWND parseHandle(const wchar_t* text)
{
    wchar_t* end = nullptr;
    const unsigned long long value = wcstoull(text, &end, 0);
    if (end == text || *end != L'\0')
        throw std::runtime_error("not a window handle: " + tools::utf8(text));
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

std::wstring className(HWND hwnd)
{
    wchar_t buffer[256];
    const int length = GetClassNameW(hwnd, buffer, ARRAYSIZE(buffer));
    return std::wstring(buffer, length > 0 ? length : 0);
}

// The window's text through WM_GETTEXT, which the system carries across processes.
std::wstring windowText(HWND hwnd)
{
    wchar_t buffer[2048] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, ARRAYSIZE(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             2000, &copied))
        return {};
    return std::wstring(buffer, copied);
}

RECT windowRect(HWND hwnd)
{
    RECT r{};
    if (!GetWindowRect(hwnd, &r))
        tools::fail("GetWindowRect");
    return r;
}

RECT clientRectOnScreen(HWND hwnd)
{
    RECT r{};
    if (!GetClientRect(hwnd, &r))
        tools::fail("GetClientRect");
    POINT origin{0, 0};
    if (!ClientToScreen(hwnd, &origin))
        tools::fail("ClientToScreen");
    OffsetRect(&r, origin.x, origin.y);
    return r;
}

// The caption's close button on screen, found by asking the window what lies under points of its
// caption (WM_NCHITTEST), as the system does for a click; empty when it has none.
RECT closeButtonRect(HWND hwnd)
{
    TITLEBARINFO info{};
    info.cbSize = sizeof info;
    if (!GetTitleBarInfo(hwnd, &info) || IsRectEmpty(&info.rcTitleBar))
        return RECT{};
    const auto isClose = [hwnd](LONG x, LONG y) {
        DWORD_PTR hit = 0;
        return SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit) &&
               hit == HTCLOSE;
    };
    const RECT bar = info.rcTitleBar;
    const LONG middle = (bar.top + bar.bottom) / 2;
    RECT button{};
    for (LONG x = bar.right; x >= bar.left && IsRectEmpty(&button); --x)
        if (isClose(x, middle))
            button = RECT{x, middle, x + 1, middle + 1};
    if (IsRectEmpty(&button))
        return RECT{};
    while (isClose(button.left - 1, middle))
        --button.left;
    while (isClose(button.left, button.top - 1))
        --button.top;
    while (isClose(button.left, button.bottom))
        ++button.bottom;
    return button;
}

BOOL CALLBACK collectVisible(HWND hwnd, LPARAM list)
{
    if (IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK collectAll(HWND hwnd, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> topLevelWindows()
{
    std::vector<HWND> found;
    if (!EnumWindows(collectVisible, reinterpret_cast<LPARAM>(&found)))
        tools::fail("EnumWindows");
    return found;
}

std::vector<HWND> descendants(HWND parent)
{
    std::vector<HWND> found;
    EnumChildWindows(parent, collectAll, reinterpret_cast<LPARAM>(&found));
    return found;
}

void listWindows()
{
    for (HWND hwnd : topLevelWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        print("{\"hwnd\":" + jsonHandle(hwnd) + ",\"pid\":" + json(static_cast<long long>(pid)) +
              ",\"class\":" + json(className(hwnd)) + ",\"caption\":" + json(windowText(hwnd)) +
              ",\"rect\":" + jsonRect(windowRect(hwnd)) + ",\"client\":" + jsonRect(clientRectOnScreen(hwnd)) +
              ",\"close_button\":" + jsonRect(closeButtonRect(hwnd)) + "}");
    }
}

// The text of a combo box's current selection, or null when nothing is selected.
std::string comboSelection(HWND combo)
{
    DWORD_PTR index = 0;
    if (!SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &index) ||
        static_cast<LRESULT>(index) == CB_ERR)
        return "null";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, index, 0, SMTO_ABORTIFHUNG, 2000, &length);
    if (static_cast<LRESULT>(length) == CB_ERR)
        return "null";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    if (static_cast<LRESULT>(copied) == CB_ERR)
        return "null";
    text.resize(copied);
    return json(text);
}

std::string describeControl(HWND hwnd)
{
    const std::wstring kind = className(hwnd);
    std::string line = "{\"hwnd\":" + jsonHandle(hwnd) + ",\"class\":" + json(kind) +
                       ",\"id\":" + json(static_cast<long long>(GetDlgCtrlID(hwnd))) +
                       ",\"text\":" + json(windowText(hwnd)) + ",\"visible\":" + json(IsWindowVisible(hwnd) != 0) +
                       ",\"enabled\":" + json(IsWindowEnabled(hwnd) != 0) + ",\"rect\":" + jsonRect(windowRect(hwnd));
    if (lstrcmpiW(kind.c_str(), L"ComboBox") == 0)
        line += ",\"selection\":" + comboSelection(hwnd);
    return line + "}";
}

void listChildren(HWND parent)
{
    if (!IsWindow(parent))
        throw std::runtime_error("no such window");
    for (HWND hwnd : descendants(parent))
        print(describeControl(hwnd));
}

void showFocus()
{
    HWND foreground = GetForegroundWindow();
    if (!foreground) {
        print("{\"foreground\":null,\"focus\":null}");
        return;
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info))
        tools::fail("GetGUIThreadInfo");
    std::string line = "{\"foreground\":" + jsonHandle(foreground) + ",\"active\":" + jsonHandle(info.hwndActive);
    if (info.hwndFocus)
        line += ",\"focus\":" + describeControl(info.hwndFocus);
    else
        line += ",\"focus\":null";
    print(line + "}");
}

void listMessageBoxes()
{
    for (HWND box : topLevelWindows()) {
        if (className(box) != L"#32770")
            continue;
        HWND textControl = GetDlgItem(box, 0xFFFF);
        std::string buttons;
        for (HWND child : descendants(box)) {
            if (lstrcmpiW(className(child).c_str(), L"Button") != 0 || !IsWindowVisible(child))
                continue;
            tools::appendItem(buttons, std::string("{\"hwnd\":") + jsonHandle(child) +
                       ",\"id\":" + json(static_cast<long long>(GetDlgCtrlID(child))) +
                       ",\"text\":" + json(windowText(child)) + ",\"rect\":" + jsonRect(windowRect(child)) + "}");
        }
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        print("{\"hwnd\":" + jsonHandle(box) + ",\"pid\":" + json(static_cast<long long>(pid)) +
              ",\"title\":" + json(windowText(box)) +
              ",\"text\":" + (textControl ? json(windowText(textControl)) : std::string("null")) +
              ",\"rect\":" + jsonRect(windowRect(box)) + ",\"buttons\":[" + buttons + "]}");
    }
}

// The cursor handle the system shows, and the class cursor of the window under the pointer.
// Cursor handles belong to the process that loaded them (so LoadCursor here would not compare);
// the harness tells an hourglass from an arrow by the X cursor instead.
void showCursor()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info))
        tools::fail("GetCursorInfo");
    HWND under = WindowFromPoint(info.ptScreenPos);
    const auto classCursor = under ? reinterpret_cast<HCURSOR>(GetClassLongPtrW(under, GCLP_HCURSOR)) : nullptr;
    print("{\"handle\":" + json(static_cast<long long>(reinterpret_cast<uintptr_t>(info.hCursor))) +
          ",\"showing\":" + json((info.flags & CURSOR_SHOWING) != 0) +
          ",\"x\":" + json(static_cast<long long>(info.ptScreenPos.x)) +
          ",\"y\":" + json(static_cast<long long>(info.ptScreenPos.y)) + ",\"window\":" + jsonHandle(under) +
          ",\"class_cursor\":" + json(static_cast<long long>(reinterpret_cast<uintptr_t>(classCursor))) +
          ",\"is_class_cursor\":" + json(info.hCursor == classCursor) + "}");
}

void postClose(HWND hwnd)
{
    if (!PostMessageW(hwnd, WM_CLOSE, 0, 0))
        tools::fail("PostMessageW");
    print("{\"posted\":\"WM_CLOSE\",\"hwnd\":" + jsonHandle(hwnd) + "}");
}

int usage()
{
    print("{\"error\":\"usage: inspector windows | children HWND | focus | msgbox | version FILE | icon FILE | "
          "cursor | close HWND\"}");
    return 2;
}

int run(int argc, wchar_t** argv)
{
    if (argc < 2)
        return usage();
    const std::wstring command = argv[1];
    const wchar_t* argument = argc > 2 ? argv[2] : nullptr;
    if (command == L"windows")
        listWindows();
    else if (command == L"children" && argument)
        listChildren(parseHandle(argument));
    else if (command == L"focus")
        showFocus();
    else if (command == L"msgbox")
        listMessageBoxes();
    else if (command == L"version" && argument)
        print(tools::describeVersionRecord(argument));
    else if (command == L"icon" && argument)
        print(tools::describeIconGroup(argument));
    else if (command == L"cursor")
        showCursor();
    else if (command == L"close" && argument)
        postClose(parseHandle(argument));
    else
        return usage();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        print("{\"error\":" + tools::jsonUtf8(e.what()) + "}");
        return 1;
    }
}
