// Window descriptions (data), the controls the platform builds from them, and the form whose
// handlers the platform's events reach.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/error.h"

namespace rt {

constexpr int kTwipsPerPixel = 15;

// Twips to pixels at 96 dpi.
constexpr int toPixels(int twips) { return twips / kTwipsPerPixel; }

enum class ControlKind { PictureButton, DriveList, Label };
enum class Event { Load, Click, Change };

struct Font {
    std::string_view face;
    double points;
    int weight;  // 400 normal, 700 bold
};

inline constexpr Font kMsSansSerifBold{"MS Sans Serif", 8.25, 700};

// A colour word: 0x00BBGGRR, or 0x80000000 | n for system colour n.
using Colour = std::uint32_t;
constexpr Colour kSystemColourFlag = 0x80000000u;

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlDesc {
    std::string_view name;
    ControlKind kind;
    TwipsRect rect;
    bool visible;
    int tabIndex;
    int picture = 0;                // resource id of a picture button's face
    std::string_view text = {};     // a label's text, Windows-1252
    const Font* font = nullptr;     // nullptr: the platform's default font
    std::optional<Colour> foreColour = {};
    std::optional<Colour> backColour = {};
    bool opaque = false;            // a label that fills its rectangle before its text
};

struct FormDesc {
    std::string_view caption;       // Windows-1252
    int clientWidth;                // twips
    int clientHeight;               // twips
    int picture;                    // resource id of the background bitmap
    int icon;                       // resource id of the icon group
    std::span<const ControlDesc> controls;
};

const ControlDesc* findControl(const FormDesc& form, std::string_view name);

// The controls that take the focus, in tab order: visible picture buttons and drive lists,
// by tab index. `isVisible` gives a control's current visibility.
std::vector<const ControlDesc*> tabOrder(const FormDesc& form,
                                         const std::function<bool(const ControlDesc&)>& isVisible);

// A control as the platform built it. Property calls return a status; a negative one is a
// failure, which the property helpers below turn into a runtime error.
class Control {
public:
    explicit Control(const ControlDesc& desc) : desc_(desc) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    const ControlDesc& desc() const { return desc_; }

    virtual HResult letVisible(bool visible) = 0;
    virtual HResult getDrive(std::wstring& drive) = 0;  // drive lists only

private:
    const ControlDesc& desc_;
};

// The platform's realisation of a form: its window and controls.
class Window {
public:
    virtual ~Window() = default;
    virtual Control& control(std::string_view name) = 0;
    virtual HResult letMousePointer(int pointer) = 0;
};

class Form;

struct Binding {
    std::string_view control;  // "Form" for the window's own events
    Event event;
    std::function<void()> handler;
};

// Base of each program's Form1: its description, its bound events, and access to the
// window the platform built for it.
class Form {
public:
    explicit Form(const FormDesc& desc) : desc_(desc) {}
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form() = default;

    const FormDesc& desc() const { return desc_; }
    virtual std::vector<Binding> bindings() = 0;

    void attach(Window* window) { window_ = window; }
    Window& window();

    // Gets a control of the form by name, for one call.
    Control& control(std::string_view name) { return window().control(name); }

private:
    const FormDesc& desc_;
    Window* window_ = nullptr;
};

// Runs the handler bound to (control, event), if any. A runtime error (or any other
// exception) that leaves the handler goes to the platform's error report; the program goes on.
void raiseEvent(Form& form, std::string_view control, Event event);

// Property calls as the handlers write them. A failure status raises a runtime error through
// __vbaHresultCheckObj.
void letVisible(Control& control, bool visible);
std::wstring getDrive(Control& control);
void letMousePointer(Form& form, int pointer);

constexpr int vbDefault = 0;
constexpr int vbHourglass = 11;

// What the start routine is handed: the start-up window and the program's title.
struct Project {
    std::string_view title;  // Windows-1252
    std::function<std::unique_ptr<Form>()> startupForm;
};

}  // namespace rt
