// Owners of the GDI handles the form window paints with: each releases its handle once.
#pragma once

#include <windows.h>

#include "runtime/error.h"
#include "runtime/form.h"

namespace rt::win32 {

// A GDI object (bitmap, font, brush) deleted with DeleteObject.
template <typename H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    void reset()
    {
        if (handle_ != nullptr)
            DeleteObject(handle_);
        handle_ = nullptr;
    }

    H handle_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using FontHandle = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;

// A memory DC made compatible with another, deleted with DeleteDC.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc()
    {
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// The DC of a WM_PAINT, from BeginPaint to EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(hwnd_, &ps_); }

    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// An object selected into a DC for a scope; the previous one is selected back at its end.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }

    explicit operator bool() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The DC's state (clip region, colours, modes) saved for a scope and restored at its end.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;
    ~SavedDcState()
    {
        if (saved_ != 0)
            RestoreDC(dc_, saved_);
    }

private:
    HDC dc_;
    int saved_;
};

// A colour word as GDI takes it: system colours resolved.
COLORREF toColorRef(Colour colour);

// The bitmap resource `id` of the program; a runtime error when it cannot be loaded.
Bitmap loadBitmap(int id);
SIZE bitmapSize(HBITMAP bitmap);
// Draws the bitmap at its own size with its top left at (x, y).
void drawBitmap(HDC dc, HBITMAP bitmap, int x, int y);

// The described font, or null for the platform's default font; a runtime error when it cannot be made.
FontHandle makeFont(const Font* font);
// The described font, or null with the system's last error when it cannot be made.
HFONT makeFontHandle(const Font& font);
HFONT fontOrDefault(const FontHandle& font);

// Pixels of a rectangle given in twips.
RECT toPixelRect(const TwipsRect& rect);

}  // namespace rt::win32
