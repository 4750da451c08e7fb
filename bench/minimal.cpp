// The yardstick of the start-up and memory benchmarks: the least a program can do to show what a
// program of ours shows at start. A fixed window (minimize and close in the caption) whose client
// area is the size of the picture in resource 1, centred on the screen, painting that picture.
// Built once per program, with that program's background picture and manifest, and a caption
// of its own (MINIMAL_CAPTION).
#include <windows.h>

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr wchar_t kClassName[] = L"OrvaneMinimal";
constexpr int kPicture = 1;

HBITMAP picture = nullptr;
SIZE pictureSize{};

void paint(HWND hwnd)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd, &paint);
    if (dc == nullptr)
        return;
    if (const HDC memory = CreateCompatibleDC(dc)) {
        const HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(dc, 0, 0, pictureSize.cx, pictureSize.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND createWindow(HINSTANCE instance)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass))
        return nullptr;
    RECT frame{0, 0, pictureSize.cx, pictureSize.cy};
    if (!AdjustWindowRect(&frame, kStyle, FALSE))
        return nullptr;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    return CreateWindowW(kClassName, MINIMAL_CAPTION, kStyle, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance,
                         nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    picture = LoadBitmapW(instance, MAKEINTRESOURCEW(kPicture));
    BITMAP info;
    if (picture == nullptr || GetObjectW(picture, sizeof info, &info) == 0)
        return 1;
    pictureSize = {info.bmWidth, info.bmHeight};
    const HWND hwnd = createWindow(instance);
    if (hwnd == nullptr)
        return 1;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    DeleteObject(picture);
    return 0;
}
