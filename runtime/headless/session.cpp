// The headless backend's session: the platform of a test, its window model and its user.
#include <algorithm>
#include <stdexcept>

#include "runtime/headless.h"
#include "runtime/text.h"
#include "runtime/wildcard.h"

namespace rt::headless {

namespace {

std::wstring foldedKey(std::wstring_view text)
{
    std::wstring key(text);
    std::transform(key.begin(), key.end(), key.begin(), foldCase);
    return key;
}

std::wstring driveText(wchar_t letter)
{
    return {letter, L':'};
}

bool isCurrentPlatform(const Platform& candidate)
{
    try {
        return &platform() == &candidate;
    } catch (const RuntimeError&) {
        return false;
    }
}

}  // namespace

// One control of the window: the state a property call can change.
class Session::HeadlessControl final : public Control {
public:
    HeadlessControl(Session& session, const ControlDesc& desc)
        : Control(desc), session_(session), visible_(desc.visible), drive_(session.programDrive_)
    {
    }

    HResult letVisible(bool visible) override
    {
        const HResult status = session_.armedStatus(Op::LetVisible);
        if (status == kOk)
            visible_ = visible;
        return status;
    }

    HResult getDrive(std::wstring& drive) override
    {
        if (desc().kind != ControlKind::DriveList)
            return kNoInterface;
        const HResult status = session_.armedStatus(Op::GetDrive);
        if (status == kOk)
            drive = driveText(drive_);
        return status;
    }

    bool visible() const { return visible_; }
    wchar_t drive() const { return drive_; }
    void setDrive(wchar_t letter) { drive_ = letter; }

private:
    Session& session_;
    bool visible_;
    wchar_t drive_;
};

class Session::HeadlessWindow final : public Window {
public:
    HeadlessWindow(Session& session, const FormDesc& desc) : session_(session)
    {
        for (const ControlDesc& control : desc.controls)
            controls_.push_back(std::make_unique<HeadlessControl>(session, control));
    }

    Control& control(std::string_view name) override
    {
        HeadlessControl* found = find(name);
        if (found == nullptr)
            raiseError(err::kNoSuchMember);
        return *found;
    }

    HResult letMousePointer(int pointer) override
    {
        const HResult status = session_.armedStatus(Op::LetMousePointer);
        if (status == kOk) {
            session_.pointer_ = pointer;
            session_.pointerChanges_.push_back(pointer);
        }
        return status;
    }

    HeadlessControl* find(std::string_view name) const
    {
        for (const auto& control : controls_) {
            if (control->desc().name == name)
                return control.get();
        }
        return nullptr;
    }

private:
    Session& session_;
    std::vector<std::unique_ptr<HeadlessControl>> controls_;
};

// An object made by createObject: every late-bound member access counts as one call of
// Op::LateCall, also on the objects its members return.
class Session::CountingObject final : public Object {
public:
    CountingObject(Session& session, ObjectRef inner) : session_(session), inner_(std::move(inner)) {}

    Variant invoke(std::wstring_view member, CallKind kind, const std::vector<Variant>& args) override
    {
        session_.checkArmed(Op::LateCall);
        Variant result = inner_->invoke(member, kind, args);
        if (result.isObject() && result.object())
            return Variant(std::make_shared<CountingObject>(session_, result.object()));
        return result;
    }

private:
    Session& session_;
    ObjectRef inner_;
};

Session::Session(const Project& project) : Platform(fromCp1252(project.title)), project_(project)
{
    registerObject(L"scripting.filesystemobject", [this] { return makeFileSystemObject(*this); });
    setPlatform(this);
}

// A session that a newer one has replaced leaves the newer one current.
Session::~Session()
{
    if (isCurrentPlatform(*this))
        setPlatform(nullptr);
}

void Session::mapDrive(wchar_t letter, const std::filesystem::path& hostFolder, DriveState state)
{
    drives_[foldCase(letter)] = Drive{hostFolder, state};
}

void Session::setProgramDrive(wchar_t letter)
{
    programDrive_ = foldCase(letter);
}

void Session::registerObject(const std::wstring& progId, std::function<ObjectRef()> factory)
{
    objects_[foldedKey(progId)] = std::move(factory);
}

void Session::unregisterObject(const std::wstring& progId)
{
    objects_.erase(foldedKey(progId));
}

void Session::arm(Op op, int nth, std::int32_t errorNumber)
{
    if (nth < 1)
        throw std::invalid_argument("arm: the failing call is counted from 1");
    armed_.push_back({op, nth, errorNumber});
}

std::int32_t Session::takeArmed(Op op)
{
    std::int32_t failure = 0;
    for (Armed& armed : armed_) {
        if (armed.op == op && --armed.remaining == 0 && failure == 0)
            failure = armed.errorNumber;
    }
    std::erase_if(armed_, [](const Armed& armed) { return armed.remaining <= 0; });
    return failure;
}

void Session::checkArmed(Op op)
{
    if (const std::int32_t failure = takeArmed(op))
        raiseError(failure);
}

HResult Session::armedStatus(Op op)
{
    const std::int32_t failure = takeArmed(op);
    return failure == 0 ? kOk : hresultOfError(failure);
}

ObjectRef Session::createObject(const std::wstring& progId)
{
    checkArmed(Op::CreateObject);
    const auto factory = objects_.find(foldedKey(progId));
    if (factory == objects_.end())
        raiseError(err::kCantCreateObject);
    ObjectRef object = factory->second();
    if (!object)
        raiseError(err::kCantCreateObject);
    return std::make_shared<CountingObject>(*this, std::move(object));
}

int Session::messageBox(const std::wstring& prompt, int buttons, const std::wstring& title)
{
    checkArmed(Op::MessageBox);
    messages_.push_back({prompt, buttons, title});
    return 1;  // OK
}

void Session::end()
{
    ended_ = true;
    throw ProgramEnded{};
}

void Session::reportError(const RuntimeError& error)
{
    reports_.push_back(error);
}

Session::HeadlessControl& Session::userControl(std::string_view name) const
{
    if (!window_)
        throw std::logic_error("the session has not started the program");
    HeadlessControl* control = window_->find(name);
    if (control == nullptr)
        throw std::invalid_argument("the form has no control named " + std::string(name));
    return *control;
}

std::vector<const ControlDesc*> Session::currentTabOrder() const
{
    return tabOrder(form_->desc(), [this](const ControlDesc& desc) { return userControl(desc.name).visible(); });
}

// The focus goes to the first tab stop when the window shows, which is after its load event.
void Session::start()
{
    if (form_)
        throw std::logic_error("the program has already started");
    form_ = project_.startupForm();
    window_ = std::make_unique<HeadlessWindow>(*this, form_->desc());
    form_->attach(window_.get());
    dispatch("Form", Event::Load);
    const std::vector<const ControlDesc*> order = currentTabOrder();
    focus_ = order.empty() ? std::string() : std::string(order.front()->name);
}

void Session::click(std::string_view control)
{
    if (userControl(control).visible())
        dispatch(control, Event::Click);
}

void Session::chooseDrive(std::string_view driveList, wchar_t letter)
{
    HeadlessControl& list = userControl(driveList);
    if (list.desc().kind != ControlKind::DriveList)
        throw std::invalid_argument(std::string(driveList) + " is no drive list");
    const wchar_t drive = foldCase(letter);
    if (!drives_.contains(drive))
        throw std::invalid_argument("the drive list does not show that drive");
    if (!list.visible() || drive == list.drive() || ended_)
        return;
    list.setDrive(drive);
    dispatch(driveList, Event::Change);
}

void Session::raise(std::string_view control, Event event)
{
    if (!form_)
        throw std::logic_error("the session has not started the program");
    dispatch(control, event);
}

void Session::pressTab()
{
    const std::vector<const ControlDesc*> order = currentTabOrder();
    if (order.empty()) {
        focus_.clear();
        return;
    }
    const auto current = std::find_if(order.begin(), order.end(),
                                      [this](const ControlDesc* desc) { return desc->name == focus_; });
    const auto next = (current == order.end() || current + 1 == order.end()) ? order.begin() : current + 1;
    focus_ = std::string((*next)->name);
}

std::string_view Session::focus() const
{
    return focus_;
}

bool Session::isVisible(std::string_view control) const
{
    return userControl(control).visible();
}

std::wstring Session::heldDrive(std::string_view driveList) const
{
    return driveText(userControl(driveList).drive());
}

std::vector<wchar_t> Session::listedDrives() const
{
    std::vector<wchar_t> letters;
    for (const auto& [letter, drive] : drives_)
        letters.push_back(letter);
    return letters;
}

// An ended program handles no more events; its window stays for the test to read.
void Session::dispatch(std::string_view control, Event event)
{
    if (ended_)
        return;
    try {
        raiseEvent(*form_, control, event);
    } catch (const ProgramEnded&) {
        ended_ = true;
    }
}

}  // namespace rt::headless
