#include "Form1.h"

#include <array>

#include "resource.h"
#include "runtime/ops.h"
#include "runtime/vba.h"
#include "texts.h"

namespace launcher {

namespace {

using rt::ControlKind;

constexpr std::array kControls{
    rt::ControlDesc{.name = "Command2", .kind = ControlKind::PictureButton, .rect = {8160, 4080, 1455, 495},
                    .visible = true, .tabIndex = 2, .picture = IDB_LICENZA},
    rt::ControlDesc{.name = "Command1", .kind = ControlKind::PictureButton, .rect = {8280, 840, 2895, 615},
                    .visible = false, .tabIndex = 1, .picture = IDB_INDICE},
    rt::ControlDesc{.name = "Command5", .kind = ControlKind::PictureButton, .rect = {9840, 4080, 1455, 495},
                    .visible = true, .tabIndex = 0, .picture = IDB_CHIUDI},
};

// The installed product folder, and its subfolder "dati" once the first start has moved it.
const std::wstring kIndexDocument = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\dati\\0_INDICE.doc";
const std::wstring kLicenceDocument = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\licenza.doc";
const std::wstring kDataFolder = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\dati";
const std::wstring kDataFolderSlash = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\dati\\";
const std::wstring kProductFolderSlash = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\";
const std::wstring kDocuments = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\*.doc";
const std::wstring kSpreadsheets = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\*.xls";
const std::wstring kDocumentsToDelete = L"C:\\PROGRAMMI\\ORVANE_Quorbel_3\\*.doc";
const std::wstring kSpreadsheetsToDelete = L"C:\\PROGRAMMI\\ORVANE_Quorbel_3\\*.xls";
const std::wstring kLicenceDocuments = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\dati\\lic*.doc";

bool exists(const std::wstring& path)
{
    return __vbaStrCmp(L"", rt::Dir(path, rt::vbNormal)) != 0;
}

void copyFile(rt::Variant& fileSystem, const std::wstring& source, const std::wstring& destination)
{
    __vbaLateMemCall(__vbaObjVar(fileSystem), L"copyfile", 2, {rt::Variant(source), rt::Variant(destination)});
}

}  // namespace

const rt::FormDesc kForm1Desc{
    .caption = text::kCaption,
    .clientWidth = 11565,
    .clientHeight = 5250,
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
        {"Form", rt::Event::Load, [this] { Form_Load(); }},
        {"Command1", rt::Event::Click, [this] { Command1_Click(); }},
        {"Command2", rt::Event::Click, [this] { Command2_Click(); }},
        {"Command5", rt::Event::Click, [this] { Command5_Click(); }},
    };
}

// At every start the index button is shown. At the first start, the one at which "dati" does
// not yet hold the index document, the product's documents and spreadsheets move into "dati"
// and the licence documents are copied back beside the program.
void Form1::Form_Load()
{
    if (exists(kIndexDocument)) {
        rt::letVisible(control("Command1"), true);
        return;
    }
    rt::letVisible(control("Command1"), true);
    rt::MkDir(kDataFolder);
    rt::Variant fileSystem = rt::CreateObject(L"scripting.filesystemobject");
    copyFile(fileSystem, kDocuments, kDataFolderSlash);
    copyFile(fileSystem, kSpreadsheets, kDataFolderSlash);
    rt::Kill(kDocumentsToDelete);
    rt::Kill(kSpreadsheetsToDelete);
    copyFile(fileSystem, kLicenceDocuments, kProductFolderSlash);
}

void Form1::Command1_Click()
{
    if (!exists(kIndexDocument))
        return;
    openDocument(kIndexDocument);
}

void Form1::Command2_Click()
{
    openDocument(kLicenceDocument);
}

// Opens the document in the word processor under the hourglass, then leaves the word
// processor to the user. A step that fails leaves the hourglass until a later click gets through.
void Form1::openDocument(const std::wstring& path)
{
    rt::letMousePointer(*this, rt::vbHourglass);
    rt::Variant word = rt::CreateObject(L"word.application");
    {
        rt::Variant documents = __vbaVarLateMemCallLdRf(word, L"Documents", 0);
        __vbaLateMemCall(__vbaObjVar(documents), L"Open", 1, {rt::Variant(path)});
    }
    __vbaVarLateMemSt(word, L"Visible", rt::Variant::boolean(true));
    rt::letMousePointer(*this, rt::vbDefault);
}

void Form1::Command5_Click()
{
    __vbaEnd();
}

}  // namespace launcher
