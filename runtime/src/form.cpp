#include "runtime/form.h"

#include <algorithm>
#include <exception>
#include <new>

#include "runtime/platform.h"
#include "runtime/text.h"
#include "runtime/vba.h"

namespace rt {

const ControlDesc* findControl(const FormDesc& form, std::string_view name)
{
    for (const ControlDesc& control : form.controls) {
        if (control.name == name)
            return &control;
    }
    return nullptr;
}

std::vector<const ControlDesc*> tabOrder(const FormDesc& form,
                                         const std::function<bool(const ControlDesc&)>& isVisible)
{
    std::vector<const ControlDesc*> order;
    for (const ControlDesc& control : form.controls) {
        if (control.kind != ControlKind::Label && isVisible(control))
            order.push_back(&control);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlDesc* a, const ControlDesc* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

Window& Form::window()
{
    if (window_ == nullptr)
        raiseError(err::kObjectNotSet);
    return *window_;
}

namespace {

void runHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const RuntimeError& error) {
        platform().reportError(error);
    } catch (const std::bad_alloc&) {
        platform().reportError(RuntimeError(err::kOutOfMemory, standardDescription(err::kOutOfMemory)));
    } catch (const std::exception&) {
        platform().reportError(RuntimeError(err::kInternal, standardDescription(err::kInternal)));
    }
}

std::wstring_view interfaceOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::PictureButton: return L"_CommandButton";
    case ControlKind::DriveList: return L"_DriveListBox";
    case ControlKind::Label: return L"_Label";
    }
    return L"_Control";
}

void checkStatus(HResult hr, const Control& control, std::wstring_view member)
{
    if (hr < 0)
        __vbaHresultCheckObj(hr, fromCp1252(control.desc().name), interfaceOf(control.desc().kind), member);
}

}  // namespace

// Other exceptions, such as the headless backend's end of program, pass through.
void raiseEvent(Form& form, std::string_view control, Event event)
{
    const std::vector<Binding> bindings = form.bindings();
    const auto bound = std::find_if(bindings.begin(), bindings.end(), [&](const Binding& binding) {
        return binding.control == control && binding.event == event;
    });
    if (bound != bindings.end() && bound->handler)
        runHandler(bound->handler);
}

void letVisible(Control& control, bool visible)
{
    checkStatus(control.letVisible(visible), control, L"Visible");
}

std::wstring getDrive(Control& control)
{
    std::wstring drive;
    checkStatus(control.getDrive(drive), control, L"Drive");
    return drive;
}

void letMousePointer(Form& form, int pointer)
{
    const HResult hr = form.window().letMousePointer(pointer);
    if (hr < 0)
        __vbaHresultCheckObj(hr, L"Form", L"_Form", L"MousePointer");
}

}  // namespace rt
