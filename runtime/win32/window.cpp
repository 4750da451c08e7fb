// The form's window: its class and procedure, its painting, and the boxes it owns.
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "form_window.h"
#include "runtime/text.h"
#include "win32_platform.h"

namespace rt::win32 {

namespace {

constexpr wchar_t kClassName[] = L"OrvaneForm";
// A fixed border with minimize and close in the caption.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Tab and Shift+Tab move between the controls.
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

}  // namespace

void raiseLastError()
{
    raiseWin32Error(GetLastError());
}

HResult lastErrorStatus()
{
    const DWORD code = GetLastError();
    return code == ERROR_SUCCESS ? kFail : static_cast<HResult>(HRESULT_FROM_WIN32(code));
}

COLORREF toColorRef(Colour colour)
{
    if ((colour & kSystemColourFlag) != 0)
        return GetSysColor(static_cast<int>(colour & 0xFF));
    return static_cast<COLORREF>(colour);
}

Bitmap loadBitmap(int id)
{
    Bitmap bitmap(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)));
    if (!bitmap)
        raiseLastError();
    return bitmap;
}

SIZE bitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof info, &info) == 0)
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

void drawBitmap(HDC dc, HBITMAP bitmap, int x, int y)
{
    MemoryDc source(dc);
    if (!source)
        return;
    Selection selected(source.get(), bitmap);
    const SIZE size = bitmapSize(bitmap);
    BitBlt(dc, x, y, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
}

HFONT makeFontHandle(const Font& font)
{
    const int height = -MulDiv(static_cast<int>(std::lround(font.points * 100)), 96, 7200);
    const std::wstring face = fromCp1252(font.face);
    return CreateFontW(height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

FontHandle makeFont(const Font* font)
{
    if (font == nullptr)
        return FontHandle();
    FontHandle handle(makeFontHandle(*font));
    if (!handle)
        raiseLastError();
    return handle;
}

HFONT fontOrDefault(const FontHandle& font)
{
    if (font)
        return font.get();
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

RECT toPixelRect(const TwipsRect& rect)
{
    const int left = toPixels(rect.left);
    const int top = toPixels(rect.top);
    return RECT{left, top, left + toPixels(rect.width), top + toPixels(rect.height)};
}

namespace {

void registerClass(HINSTANCE instance, int icon, WNDPROC procedure)
{
    const HICON picture = LoadIconW(instance, MAKEINTRESOURCEW(icon));
    if (picture == nullptr)
        raiseLastError();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = picture;
    wc.hIconSm = picture;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0)
        raiseLastError();
}

}  // namespace

FormWindow::FormWindow(Form& form) : form_(form)
{
}

// A window still there was never closed by the user (its building failed): it is destroyed
// without its procedure, so no quit message ends the error report's box.
FormWindow::~FormWindow()
{
    if (hwnd_ == nullptr)
        return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void FormWindow::create(HINSTANCE instance)
{
    const FormDesc& desc = form_.desc();
    registerClass(instance, desc.icon, &FormWindow::windowProc);
    background_ = loadBitmap(desc.picture);
    RECT frame{0, 0, toPixels(desc.clientWidth), toPixels(desc.clientHeight)};
    if (!AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle))
        raiseLastError();
    const std::wstring caption = fromCp1252(desc.caption);
    const HWND hwnd = CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                      instance, this);
    if (hwnd == nullptr)
        raiseLastError();
    createControls();
}

void FormWindow::show()
{
    RECT frame{};
    if (!GetWindowRect(hwnd_, &frame))
        raiseLastError();
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    if (!SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
        raiseLastError();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    if (!UpdateWindow(hwnd_))
        raiseLastError();
    focusFirstControl();
}

LRESULT CALLBACK FormWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    FormWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetLastError(ERROR_SUCCESS);
        if (SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self)) == 0 &&
            GetLastError() != ERROR_SUCCESS)
            return FALSE;
    } else {
        self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handleMessage(message, wParam, lParam);
}

LRESULT FormWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers the whole client area
    case WM_COMMAND:
        onCommand(HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_DRAWITEM:
        onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_SETCURSOR:
        return onSetCursor(wParam, lParam);
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd_);  // closing by the caption runs no code of the program
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        return onNcDestroy(wParam, lParam);
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// The last message of the window: it lets go of this object.
LRESULT FormWindow::onNcDestroy(WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = hwnd_;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    return DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
}

void FormWindow::onPaint()
{
    PaintDc dc(hwnd_);
    paint(dc.get());
}

// Use an offscreen DC to avoid flicker; without one, paint straight onto the target.
void FormWindow::paint(HDC target)
{
    RECT client{};
    GetClientRect(hwnd_, &client);
    MemoryDc memory(target);
    Bitmap buffer(CreateCompatibleBitmap(target, client.right, client.bottom));
    if (!memory || !buffer) {
        paintContent(target, client);
        return;
    }
    Selection selected(memory.get(), buffer.get());
    paintContent(memory.get(), client);
    BitBlt(target, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

// The background picture at the top left at its own size, then the labels over it.
void FormWindow::paintContent(HDC dc, const RECT& client)
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    drawBitmap(dc, background_.get(), 0, 0);
    for (const auto& control : controls_)
        control->paint(dc);
}

void FormWindow::onCommand(WORD code, HWND child)
{
    Win32Control* control = controlOf(child);
    if (control == nullptr)
        return;
    if (const std::optional<Event> event = control->onCommand(code))
        raiseEvent(form_, control->desc().name, *event);
}

void FormWindow::onDrawItem(const DRAWITEMSTRUCT& item)
{
    if (Win32Control* control = controlOf(item.hwndItem))
        control->drawItem(item);
}

// The hourglass covers the whole window: the controls' default procedures ask the form first.
// Otherwise a control keeps its own cursor.
LRESULT FormWindow::onSetCursor(WPARAM wParam, LPARAM lParam)
{
    if (pointer_ != vbDefault) {
        SetCursor(pointerCursor());
        return TRUE;
    }
    if (reinterpret_cast<HWND>(wParam) != hwnd_)
        return FALSE;
    return DefWindowProcW(hwnd_, WM_SETCURSOR, wParam, lParam);
}

// The focus leaves with the window and comes back to the same control.
void FormWindow::onActivate(WORD state)
{
    if (state == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus))
            savedFocus_ = focus;
        return;
    }
    if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_))
        SetFocus(savedFocus_);
    else
        focusFirstControl();
}

void FormWindow::focusFirstControl()
{
    const std::vector<const ControlDesc*> order = tabOrder(form_.desc(), [this](const ControlDesc& desc) {
        const Win32Control* control = find(desc.name);
        return control != nullptr && control->visible();
    });
    for (const ControlDesc* desc : order) {
        if (const HWND child = find(desc->name)->hwnd()) {
            SetFocus(child);
            return;
        }
    }
    SetFocus(hwnd_);
}

// Enter on a focused picture button clicks it, as Space does; Tab and Shift+Tab go through
// the dialog manager.
bool FormWindow::translateKeys(MSG& msg)
{
    if (hwnd_ == nullptr)
        return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        Win32Control* focused = controlOf(GetFocus());
        if (focused != nullptr && focused->desc().kind == ControlKind::PictureButton) {
            SendMessageW(focused->hwnd(), BM_CLICK, 0, 0);
            return true;
        }
    }
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

int Win32Platform::messageBox(const std::wstring& prompt, int buttons, const std::wstring& title)
{
    const int answer = MessageBoxW(owner(), prompt.c_str(), title.c_str(), static_cast<UINT>(buttons));
    if (answer == 0)
        raiseLastError();
    return answer;
}

// The program goes on after the report; a box that cannot be shown leaves nothing else to tell.
void Win32Platform::reportError(const RuntimeError& error)
{
    MessageBoxW(owner(), errorReportText(error).c_str(), title().c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace rt::win32
