#include "Form1.h"

#include <array>

#include "resource.h"
#include "runtime/ops.h"
#include "runtime/text.h"
#include "runtime/vba.h"
#include "texts.h"

namespace chooser {

namespace {

using rt::ControlKind;

constexpr rt::Colour kScrollBarColour = rt::kSystemColourFlag | 0;
constexpr rt::Colour kDarkRed = 0x0000C0;
constexpr rt::Colour kBlack = 0x000000;
constexpr rt::Colour kWhite = 0xFFFFFF;

constexpr std::array kControls{
    rt::ControlDesc{.name = "Command1", .kind = ControlKind::PictureButton, .rect = {480, 240, 4455, 495},
                    .visible = true, .tabIndex = 0, .picture = IDB_WIN9X, .font = &rt::kMsSansSerifBold,
                    .backColour = kScrollBarColour},
    rt::ControlDesc{.name = "Command2", .kind = ControlKind::PictureButton, .rect = {480, 1920, 1335, 495},
                    .visible = true, .tabIndex = 1, .picture = IDB_CHIUDI, .font = &rt::kMsSansSerifBold},
    rt::ControlDesc{.name = "Command3", .kind = ControlKind::PictureButton, .rect = {480, 960, 4455, 495},
                    .visible = true, .tabIndex = 6, .picture = IDB_VISTA},
    rt::ControlDesc{.name = "Drive1", .kind = ControlKind::DriveList, .rect = {5040, 2520, 2655, 315},
                    .visible = false, .tabIndex = 2},
    rt::ControlDesc{.name = "Drive2", .kind = ControlKind::DriveList, .rect = {5040, 3240, 2670, 315},
                    .visible = false, .tabIndex = 5},
    rt::ControlDesc{.name = "Label1", .kind = ControlKind::Label, .rect = {5040, 2160, 2565, 255},
                    .visible = false, .tabIndex = 3, .text = text::kChooseDrive, .foreColour = kDarkRed},
    rt::ControlDesc{.name = "Label2", .kind = ControlKind::Label, .rect = {5040, 2880, 2655, 255},
                    .visible = false, .tabIndex = 4, .text = text::kChooseDrive, .foreColour = kDarkRed},
    rt::ControlDesc{.name = "Label3", .kind = ControlKind::Label, .rect = {240, 2880, 3615, 735},
                    .visible = false, .tabIndex = 7, .text = text::kInstallFolderNote,
                    .font = &rt::kMsSansSerifBold, .foreColour = kBlack, .backColour = kWhite, .opaque = true},
};

// The product CD: its marker at the root, and one setup program per Windows family.
const std::wstring kMarker = L"\\ORVANE.doc";
const std::wstring kSetupWin9x = L"\\win9\\setup.exe";
const std::wstring kSetupVista = L"\\winvISTA\\setup.exe";
const std::wstring kSetupNt = L"\\winnt\\setup.exe";

}  // namespace

const rt::FormDesc kForm1Desc{
    .caption = text::kCaption,
    .clientWidth = 7950,
    .clientHeight = 4755,
    .picture = IDB_BACKGROUND,
    .icon = IDI_ORVANE,
    .controls = kControls,
};

const rt::Project kProject{
    .title = text::kTitle,
    .startupForm = [] { return std::make_unique<Form1>(); },
};

std::vector<rt::Binding> Form1::bindings()
{
    return {
        {"Command1", rt::Event::Click, [this] { Command1_Click(); }},
        {"Command2", rt::Event::Click, [this] { Command2_Click(); }},
        {"Command3", rt::Event::Click, [this] { Command3_Click(); }},
        {"Drive1", rt::Event::Change, [this] { Drive1_Change(); }},
        {"Drive2", rt::Event::Change, [this] { Drive2_Change(); }},
    };
}

// The product CD is in the drive that Drive1 holds when its root holds the marker.
bool Form1::cdFound()
{
    const std::wstring marker = __vbaStrCat(rt::getDrive(control("Drive1")), kMarker);
    return __vbaStrCmp(L"", rt::Dir(marker, rt::vbNormal)) != 0;
}

// Starts a setup program of the CD in Drive1 and leaves it to run on its own.
void Form1::startSetup(const std::wstring& setupPath)
{
    rt::Shell(__vbaStrCat(rt::getDrive(control("Drive1")), setupPath), rt::vbNormalFocus);
}

// Reveals the drive list and its prompt, so that the user can point it at the CD.
void Form1::revealDriveList()
{
    rt::letVisible(control("Drive1"), true);
    rt::letVisible(control("Label1"), true);
}

void Form1::startFromCd(const std::wstring& setupPath)
{
    if (cdFound())
        startSetup(setupPath);
    else
        revealDriveList();
}

void Form1::showClosingHint()
{
    rt::MsgBox(rt::fromCp1252(text::kClosingHint), rt::vbOKOnly);
}

void Form1::Command1_Click()
{
    if (cdFound()) {
        startSetup(kSetupWin9x);
    } else {
        revealDriveList();
        rt::letVisible(control("Label3"), true);
    }
    showClosingHint();
}

void Form1::Command3_Click()
{
    startFromCd(kSetupVista);
    showClosingHint();
}

void Form1::Command2_Click()
{
    __vbaEnd();
}

// A drive chosen in the list: the CD check again, on Drive1's drive whichever list changed.
void Form1::Drive1_Change()
{
    startFromCd(kSetupWin9x);
}

void Form1::Drive2_Change()
{
    startFromCd(kSetupNt);
}

}  // namespace chooser
