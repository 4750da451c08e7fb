// The form's window and its controls, as the Windows backend builds them.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "gdi.h"
#include "runtime/form.h"

namespace rt::win32 {

// The last Win32 error as a runtime error.
[[noreturn]] void raiseLastError();

// The last Win32 error as the failure status of a property call (never a success status).
HResult lastErrorStatus();

// A control of the form: a child window (picture button, drive list), or a part of the form's
// own painting (label).
class Win32Control : public Control {
public:
    using Control::Control;

    virtual HWND hwnd() const { return nullptr; }
    virtual bool visible() const = 0;
    // Draws a windowless control into the form's painting.
    virtual void paint(HDC) {}
    // Draws an owner-drawn child window.
    virtual void drawItem(const DRAWITEMSTRUCT&) {}
    // A notification of the child window; the event it raises, if any.
    virtual std::optional<Event> onCommand(WORD) { return std::nullopt; }
};

// Builds the control in `parent`, hidden or shown as described; a runtime error on failure.
std::unique_ptr<Win32Control> makeControl(const ControlDesc& desc, HWND parent, int id);

class FormWindow final : public Window {
public:
    explicit FormWindow(Form& form);
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;
    ~FormWindow() override;

    // Builds the window and its controls, hidden; a runtime error on failure.
    void create(HINSTANCE instance);
    // Shows the window centred on the screen, the focus on the first control of the tab order.
    void show();
    // Handles the keyboard of the form (Enter on a button, Tab between controls); true when
    // the message needs no further dispatch.
    bool translateKeys(MSG& msg);

    HWND hwnd() const { return hwnd_; }

    Control& control(std::string_view name) override;
    HResult letMousePointer(int pointer) override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void paint(HDC target);
    void paintContent(HDC dc, const RECT& client);
    void onPaint();
    void onCommand(WORD code, HWND child);
    void onDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT onSetCursor(WPARAM wParam, LPARAM lParam);
    void onActivate(WORD state);
    LRESULT onNcDestroy(WPARAM wParam, LPARAM lParam);
    void focusFirstControl();

    Win32Control* find(std::string_view name) const;
    Win32Control* controlOf(HWND child) const;
    HCURSOR pointerCursor() const;

    Form& form_;
    HWND hwnd_ = nullptr;
    Bitmap background_;
    std::vector<std::unique_ptr<Win32Control>> controls_;
    int pointer_ = 0;
    HWND savedFocus_ = nullptr;
};

}  // namespace rt::win32
