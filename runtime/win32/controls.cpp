// The controls of the form (picture buttons, drive lists, labels) and the form's access to them.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "form_window.h"
#include "runtime/text.h"

namespace rt::win32 {

namespace {

// Ids of the controls start above the dialog manager's IDOK and IDCANCEL.
constexpr int kFirstControlId = 100;
// A drive list's window is taller than its closed box by the height of its drop-down.
constexpr int kDropDownHeight = 200;
constexpr Colour kButtonText = kSystemColourFlag | COLOR_BTNTEXT;
constexpr Colour kButtonFace = kSystemColourFlag | COLOR_BTNFACE;

HWND createChild(const wchar_t* className, DWORD style, const ControlDesc& desc, HWND parent, int id,
                 int extraHeight)
{
    const RECT r = toPixelRect(desc.rect);
    const DWORD fullStyle = WS_CHILD | style | (desc.visible ? WS_VISIBLE : 0);
    const HWND child = CreateWindowExW(0, className, L"", fullStyle, r.left, r.top, r.right - r.left,
                                       r.bottom - r.top + extraHeight, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleW(nullptr), nullptr);
    if (child == nullptr)
        raiseLastError();
    return child;
}

bool hasVisibleStyle(HWND hwnd)
{
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

HResult showChild(HWND hwnd, bool visible)
{
    if (!IsWindow(hwnd))
        return lastErrorStatus();
    ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
    return kOk;
}

// A raised face with a picture centred on it; the picture moves with the face when pressed.
class PictureButton final : public Win32Control {
public:
    PictureButton(const ControlDesc& desc, HWND parent, int id)
        : Win32Control(desc),
          face_(loadBitmap(desc.picture)),
          hwnd_(createChild(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, desc, parent, id, 0))
    {
    }

    HWND hwnd() const override { return hwnd_; }
    bool visible() const override { return hasVisibleStyle(hwnd_); }
    HResult letVisible(bool visible) override { return showChild(hwnd_, visible); }
    HResult getDrive(std::wstring&) override { return kNoInterface; }

    std::optional<Event> onCommand(WORD code) override
    {
        if (code == BN_CLICKED)
            return Event::Click;
        return std::nullopt;
    }

    void drawItem(const DRAWITEMSTRUCT& item) override;

private:
    void drawPicture(HDC dc, const RECT& inner, bool pressed) const;

    Bitmap face_;
    HWND hwnd_;
};

void PictureButton::drawItem(const DRAWITEMSTRUCT& item)
{
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    RECT face = item.rcItem;
    DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    RECT inner = item.rcItem;
    InflateRect(&inner, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    drawPicture(item.hDC, inner, pressed);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = inner;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(item.hDC, &focus);
    }
}

// A picture larger than the face is clipped to it.
void PictureButton::drawPicture(HDC dc, const RECT& inner, bool pressed) const
{
    const SIZE size = bitmapSize(face_.get());
    const int shift = pressed ? 1 : 0;
    const int x = inner.left + (inner.right - inner.left - size.cx) / 2 + shift;
    const int y = inner.top + (inner.bottom - inner.top - size.cy) / 2 + shift;
    SavedDcState state(dc);
    IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    drawBitmap(dc, face_.get(), x, y);
}

wchar_t lowerLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The drive the program file was started from, or 0 when its path has no drive letter.
wchar_t programDrive()
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    if (length == 0)
        raiseLastError();
    if (length >= 2 && path[1] == L':')
        return lowerLetter(path[0]);
    return 0;
}

// The drive a list holds at start: the program's own, or the machine's first drive when the
// program's path has none that the machine lists. Read without the drives' labels.
wchar_t startDrive()
{
    const wchar_t program = programDrive();
    const DWORD drives = GetLogicalDrives();
    if (drives == 0)
        raiseLastError();
    if (program >= L'a' && program <= L'z' && (drives >> (program - L'a') & 1) != 0)
        return program;
    for (int bit = 0; bit < 26; ++bit) {
        if ((drives >> bit & 1) != 0)
            return static_cast<wchar_t>(L'a' + bit);
    }
    return program;
}

// The roots of the machine's drives ("c:\"), in the order of their letters.
HResult logicalDriveRoots(std::vector<std::wstring>& roots)
{
    const DWORD needed = GetLogicalDriveStringsW(0, nullptr);
    if (needed == 0)
        return lastErrorStatus();
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetLogicalDriveStringsW(needed, buffer.data());
    if (length == 0 || length > needed)
        return lastErrorStatus();
    for (const wchar_t* root = buffer.c_str(); *root != L'\0'; root += wcslen(root) + 1)
        roots.emplace_back(root);
    return kOk;
}

// "c: [LABEL]" where the label can be read at once: never on removable or remote drives.
std::wstring driveItem(const std::wstring& root)
{
    std::wstring item{lowerLetter(root[0]), L':'};
    const UINT type = GetDriveTypeW(root.c_str());
    if (type != DRIVE_FIXED && type != DRIVE_CDROM && type != DRIVE_RAMDISK)
        return item;
    wchar_t label[MAX_PATH + 1] = {};
    if (GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
        label[0] != L'\0')
        item += L" [" + std::wstring(label) + L"]";
    return item;
}

// The machine's drives; it holds one drive and raises Change when the user picks another.
// Reading the drives and their labels takes time: the list is filled when it is first shown or
// opened, and holds its drive before that.
class DriveList final : public Win32Control {
public:
    DriveList(const ControlDesc& desc, HWND parent, int id)
        : Win32Control(desc),
          font_(makeFont(desc.font)),
          hwnd_(createChild(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, desc, parent, id,
                            kDropDownHeight)),
          held_(startDrive())
    {
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fontOrDefault(font_)), FALSE);
        const HResult made = desc.visible ? fill() : holdOnly();
        if (made < 0)
            throw errorFromHResult(made);
    }

    HWND hwnd() const override { return hwnd_; }
    bool visible() const override { return hasVisibleStyle(hwnd_); }

    HResult letVisible(bool visible) override
    {
        if (visible) {
            const HResult filled = fill();
            if (filled < 0)
                return filled;
        }
        return showChild(hwnd_, visible);
    }

    HResult getDrive(std::wstring& drive) override
    {
        drive = {held_, L':'};
        return kOk;
    }

    std::optional<Event> onCommand(WORD code) override;

private:
    // A drive of the list and its item's text.
    using Item = std::pair<wchar_t, std::wstring>;

    HResult fill();
    HResult holdOnly();
    HResult setItems(const std::vector<Item>& items);
    void select(wchar_t letter);
    std::optional<Event> pick();

    FontHandle font_;
    HWND hwnd_;
    std::vector<wchar_t> letters_;
    bool filled_ = false;
    wchar_t held_;
};

// The machine's drives with their labels, once; a failure leaves the list holding its drive only,
// to be filled at the next need.
HResult DriveList::fill()
{
    if (filled_)
        return kOk;
    std::vector<std::wstring> roots;
    const HResult listed = logicalDriveRoots(roots);
    if (listed < 0)
        return listed;
    std::vector<Item> items;
    for (const std::wstring& root : roots)
        items.emplace_back(lowerLetter(root[0]), driveItem(root));
    const HResult set = setItems(items);
    if (set < 0) {
        holdOnly();
        return set;
    }
    filled_ = true;
    return kOk;
}

// Until it is filled, the list's one item is its drive, without the label.
HResult DriveList::holdOnly()
{
    if (held_ == 0)
        return setItems({});
    return setItems({Item(held_, std::wstring{held_, L':'})});
}

// The items in the order given, the held drive selected; a failure leaves the list empty.
HResult DriveList::setItems(const std::vector<Item>& items)
{
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    letters_.clear();
    for (const auto& [letter, text] : items) {
        const LRESULT added = SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (added == CB_ERR || added == CB_ERRSPACE) {
            const HResult failed = added == CB_ERRSPACE ? hresultOfError(err::kOutOfMemory) : lastErrorStatus();
            SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
            letters_.clear();
            return failed;
        }
        letters_.push_back(letter);
    }
    select(held_);
    return kOk;
}

void DriveList::select(wchar_t letter)
{
    const auto found = std::find(letters_.begin(), letters_.end(), letter);
    if (found != letters_.end())
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(found - letters_.begin()), 0);
}

// A choice counts when the drop-down closes on it, or at once on the closed box (keyboard);
// moving through the open drop-down is no choice yet.
std::optional<Event> DriveList::onCommand(WORD code)
{
    switch (code) {
    case CBN_DROPDOWN:
        fill();  // already filled when the list was shown; a failure shows the held drive only
        return std::nullopt;
    case CBN_SELENDOK:
        return pick();
    case CBN_SELCHANGE:
        if (SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0) == FALSE)
            return pick();
        return std::nullopt;
    case CBN_SELENDCANCEL:
        select(held_);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<Event> DriveList::pick()
{
    const LRESULT index = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= letters_.size())
        return std::nullopt;
    const wchar_t letter = letters_[static_cast<std::size_t>(index)];
    if (letter == held_)
        return std::nullopt;
    held_ = letter;
    return Event::Change;
}

// Text painted by the form itself, over its background or on its own back colour. Its font is
// made when it is first shown: a label hidden at start may never be.
class Label final : public Win32Control {
public:
    Label(const ControlDesc& desc, HWND parent)
        : Win32Control(desc),
          parent_(parent),
          rect_(toPixelRect(desc.rect)),
          text_(fromCp1252(desc.text)),
          visible_(desc.visible)
    {
        if (visible_)
            font_ = makeFont(desc.font);
    }

    bool visible() const override { return visible_; }
    HResult getDrive(std::wstring&) override { return kNoInterface; }

    HResult letVisible(bool visible) override
    {
        if (visible && desc().font != nullptr && !font_) {
            font_ = FontHandle(makeFontHandle(*desc().font));
            if (!font_)
                return lastErrorStatus();
        }
        visible_ = visible;
        // A one-line label may run past its right edge (see paint): repaint the whole form.
        if (!InvalidateRect(parent_, nullptr, FALSE))
            return lastErrorStatus();
        return kOk;
    }

    void paint(HDC dc) override;

private:
    HWND parent_;
    RECT rect_;
    std::wstring text_;
    FontHandle font_;
    bool visible_;
};

void Label::paint(HDC dc)
{
    if (!visible_)
        return;
    SavedDcState state(dc);
    if (desc().opaque) {
        const Brush back(CreateSolidBrush(toColorRef(desc().backColour.value_or(kButtonFace))));
        if (back)
            FillRect(dc, &rect_, back.get());
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, toColorRef(desc().foreColour.value_or(kButtonText)));
    SelectObject(dc, fontOrDefault(font_));
    // A label one line high keeps its text on that line, whole: a prompt laid out for a
    // narrower system font must not lose its last words under another. Taller labels wrap.
    TEXTMETRICW metrics{};
    const bool oneLine = GetTextMetricsW(dc, &metrics) && rect_.bottom - rect_.top < 2 * metrics.tmHeight;
    RECT bounds = rect_;
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &bounds,
              oneLine ? DT_SINGLELINE | DT_NOCLIP : DT_WORDBREAK);
}

}  // namespace

std::unique_ptr<Win32Control> makeControl(const ControlDesc& desc, HWND parent, int id)
{
    switch (desc.kind) {
    case ControlKind::PictureButton: return std::make_unique<PictureButton>(desc, parent, id);
    case ControlKind::DriveList: return std::make_unique<DriveList>(desc, parent, id);
    case ControlKind::Label: return std::make_unique<Label>(desc, parent);
    }
    raiseError(err::kInternal);
}

// In tab order, so that the windows' z-order, which the dialog keys follow, is the tab order.
void FormWindow::createControls()
{
    std::vector<const ControlDesc*> order;
    for (const ControlDesc& desc : form_.desc().controls)
        order.push_back(&desc);
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlDesc* a, const ControlDesc* b) { return a->tabIndex < b->tabIndex; });
    int id = kFirstControlId;
    for (const ControlDesc* desc : order)
        controls_.push_back(makeControl(*desc, hwnd_, id++));
}

Win32Control* FormWindow::find(std::string_view name) const
{
    for (const auto& control : controls_) {
        if (control->desc().name == name)
            return control.get();
    }
    return nullptr;
}

Control& FormWindow::control(std::string_view name)
{
    Win32Control* found = find(name);
    if (found == nullptr)
        raiseError(err::kObjectNotSet);
    return *found;
}

Win32Control* FormWindow::controlOf(HWND child) const
{
    if (child == nullptr)
        return nullptr;
    for (const auto& control : controls_) {
        if (control->hwnd() == child)
            return control.get();
    }
    return nullptr;
}

HCURSOR FormWindow::pointerCursor() const
{
    return LoadCursorW(nullptr, pointer_ == vbHourglass ? IDC_WAIT : IDC_ARROW);
}

// Takes effect at once when the mouse is over the window, without waiting for it to move.
HResult FormWindow::letMousePointer(int pointer)
{
    if (pointer != vbDefault && pointer != vbHourglass)
        return hresultOfError(err::kInvalidCall);
    pointer_ = pointer;
    const HCURSOR cursor = pointerCursor();
    if (cursor == nullptr)
        return lastErrorStatus();
    POINT at{};
    if (hwnd_ != nullptr && GetCursorPos(&at)) {
        const HWND under = WindowFromPoint(at);
        if (under == hwnd_ || IsChild(hwnd_, under))
            SetCursor(cursor);
    }
    return kOk;
}

}  // namespace rt::win32
