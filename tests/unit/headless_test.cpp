// The headless backend as a model of the machine: paths, file operations on a real temporary
// folder, automation objects, armed faults, and the event dispatch of a small test form.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <new>
#include <stdexcept>

#include "checks.h"
#include "runtime/headless.h"
#include "runtime/ops.h"
#include "runtime/text.h"
#include "runtime/vba.h"
#include "temp_tree.h"

namespace {

using namespace testing_support;
using rt::headless::DriveState;
using rt::headless::Op;
using rt::headless::Session;


// --- a form of the tests' own: what each handler does is set by the test

constexpr std::array kControls{
    rt::ControlDesc{.name = "Hidden", .kind = rt::ControlKind::PictureButton, .rect = {0, 0, 300, 300},
                    .visible = false, .tabIndex = 0},
    rt::ControlDesc{.name = "Button", .kind = rt::ControlKind::PictureButton, .rect = {300, 0, 300, 300},
                    .visible = true, .tabIndex = 1},
    rt::ControlDesc{.name = "Caption", .kind = rt::ControlKind::Label, .rect = {0, 300, 600, 300},
                    .visible = true, .tabIndex = 2, .text = "Scegli l'unit\xE0"},
    rt::ControlDesc{.name = "Drives", .kind = rt::ControlKind::DriveList, .rect = {0, 600, 600, 300},
                    .visible = true, .tabIndex = 3},
};

const rt::FormDesc kTestFormDesc{
    .caption = "Prova", .clientWidth = 600, .clientHeight = 900, .picture = 0, .icon = 0, .controls = kControls};

struct Script {
    std::function<void()> load;
    std::function<void()> buttonClick;
    std::function<void()> hiddenClick;
    std::function<void()> drivesChange;
    int clicks = 0;
    int changes = 0;
    rt::Form* form = nullptr;  // the form the session made, for the handlers to reach its controls
};

class TestForm final : public rt::Form {
public:
    explicit TestForm(Script& script) : rt::Form(kTestFormDesc), script_(script) { script_.form = this; }

    std::vector<rt::Binding> bindings() override
    {
        return {
            {"Form", rt::Event::Load, [this] { run(script_.load); }},
            {"Button", rt::Event::Click, [this] { ++script_.clicks; run(script_.buttonClick); }},
            {"Hidden", rt::Event::Click, [this] { run(script_.hiddenClick); }},
            {"Drives", rt::Event::Change, [this] { ++script_.changes; run(script_.drivesChange); }},
        };
    }

private:
    static void run(const std::function<void()>& step)
    {
        if (step)
            step();
    }

    Script& script_;
};

class Headless : public ::testing::Test {
protected:
    Headless()
        : project{.title = "Installazione \xE8", .startupForm = [this] { return std::make_unique<TestForm>(script); }},
          session(project)
    {
        c = tree.folder("c");
        d = tree.folder("d");
        session.mapDrive(L'C', c);
        session.mapDrive(L'd', d);
    }

    Script script;
    rt::Project project;
    TempTree tree;
    fs::path c;
    fs::path d;
    Session session;
};

// --- paths

using HostPath = Headless;

TEST_F(HostPath, ResolvesEachComponentRegardlessOfCase)
{
    writeFile(c / "Programmi" / "Dati" / "Licenza.DOC", "x");
    EXPECT_EQ(session.hostPath(L"C:\\PROGRAMMI\\dati\\licenza.doc"), c / "Programmi" / "Dati" / "Licenza.DOC");
    EXPECT_EQ(session.hostPath(L"c:/programmi/DATI/"), c / "Programmi" / "Dati");
    EXPECT_EQ(session.hostPath(L"c:\\"), c);
}

TEST_F(HostPath, PrefersTheExactNameAndKeepsAMissingComponentAsWritten)
{
    fs::create_directories(c / "dati");
    fs::create_directories(c / "DATI");
    EXPECT_EQ(session.hostPath(L"c:\\DATI"), c / "DATI");
    EXPECT_EQ(session.hostPath(L"c:\\dati"), c / "dati");
    EXPECT_EQ(session.hostPath(L"c:\\Dati\\Nuova\\file.doc").parent_path().filename(), "Nuova");
    EXPECT_EQ(session.hostPath(L"c:\\Nuova\\Sotto"), c / "Nuova" / "Sotto");
}

TEST_F(HostPath, MalformedPathsAreBadFileNames)
{
    for (const std::wstring path : {L"", L"programmi\\x.doc", L"\\programmi", L"1:\\x", L"c:\\a<b", L"c:\\a>b",
                                     L"c:\\a|b", L"c:\\a\"b", L"c:\\a:b", L"c:\\*\\x.doc", L"c:\\a?\\x.doc"}) {
        EXPECT_EQ(errorNumberOf([&] { session.hostPath(path); }), rt::err::kBadFileName) << rt::toUtf8(path);
    }
    EXPECT_EQ(errorNumberOf([&] { session.hostPath(std::wstring(L"c:\\a\0b", 6)); }), rt::err::kBadFileName);
    EXPECT_EQ(errorNumberOf([&] { session.hostPath(L"c:\\a\\*.doc"); }), 0);
}

TEST_F(HostPath, UnmappedDriveIsPathNotFoundAndAnEmptyDriveIsUnavailable)
{
    EXPECT_EQ(errorNumberOf([&] { session.hostPath(L"x:\\a"); }), rt::err::kPathNotFound);
    session.mapDrive(L'e', tree.folder("e"), DriveState::NotReady);
    EXPECT_EQ(errorNumberOf([&] { session.hostPath(L"e:\\a"); }), rt::err::kDeviceUnavailable);
}

// --- directory search

using FindFirst = Headless;

TEST_F(FindFirst, GivesTheFirstMatchingPlainFileByNameAsStoredOnDisk)
{
    for (const char* name : {"b.doc", "A.DOC", "c.Doc", "note.txt"})
        writeFile(c / "p" / name, name);
    EXPECT_EQ(rt::Dir(L"c:\\P\\*.doc", rt::vbNormal), L"A.DOC");
    EXPECT_EQ(rt::Dir(L"c:\\p\\NOTE.TXT", rt::vbNormal), L"note.txt");
    EXPECT_EQ(rt::Dir(L"c:\\p\\?.doc", rt::vbNormal), L"A.DOC");
}

TEST_F(FindFirst, MatchesLongNamesOnlyAndSkipsFolders)
{
    writeFile(c / "p" / "x.docx", "x");
    writeFile(c / "p" / "b.doc.bak", "b");
    fs::create_directories(c / "p" / "cartella.doc");
    EXPECT_EQ(rt::Dir(L"c:\\p\\*.doc", rt::vbNormal), L"");
    EXPECT_EQ(rt::Dir(L"c:\\p\\cartella.doc", rt::vbNormal), L"");
}

TEST_F(FindFirst, NotThereIsTheEmptyStringForMissingFileFolderOrDrive)
{
    writeFile(d / "ORVANE.doc", "cd");
    EXPECT_EQ(rt::Dir(L"c:\\p\\licenza.doc", rt::vbNormal), L"");
    EXPECT_EQ(rt::Dir(L"c:\\manca\\sotto\\*.doc", rt::vbNormal), L"");
    EXPECT_EQ(rt::Dir(L"q:\\ORVANE.doc", rt::vbNormal), L"");
    EXPECT_EQ(rt::Dir(L"d:\\orvane.doc", rt::vbNormal), L"ORVANE.doc");
    session.mapDrive(L'd', d, DriveState::NotReady);
    EXPECT_EQ(rt::Dir(L"d:\\orvane.doc", rt::vbNormal), L"");
}

TEST_F(FindFirst, MalformedPathIsAnErrorEvenOnAnUnmappedDrive)
{
    EXPECT_EQ(errorNumberOf([] { rt::Dir(L"c:\\a*\\x.doc", rt::vbNormal); }), rt::err::kBadFileName);
    EXPECT_EQ(errorNumberOf([] { rt::Dir(L"q:\\a|b", rt::vbNormal); }), rt::err::kBadFileName);
    EXPECT_EQ(errorNumberOf([] { rt::Dir(L"ORVANE.doc", rt::vbNormal); }), rt::err::kBadFileName);
}

// --- make folder

using MakeFolder = Headless;

TEST_F(MakeFolder, CreatesTheFolderAndAcceptsOneThatExists)
{
    fs::create_directories(c / "Programmi");
    rt::MkDir(L"c:\\PROGRAMMI\\dati");
    EXPECT_TRUE(fs::is_directory(c / "Programmi" / "dati"));
    writeFile(c / "Programmi" / "dati" / "keep.doc", "keep");
    rt::MkDir(L"c:\\programmi\\DATI");
    EXPECT_EQ(readFile(c / "Programmi" / "dati" / "keep.doc"), "keep");
    EXPECT_FALSE(fs::exists(c / "Programmi" / "DATI"));
}

TEST_F(MakeFolder, AFileOfThatNameOrAMissingParentFails)
{
    writeFile(c / "dati", "un file");
    EXPECT_EQ(errorNumberOf([] { rt::MkDir(L"c:\\dati"); }), rt::err::kPathFileAccess);
    EXPECT_EQ(readFile(c / "dati"), "un file");
    EXPECT_EQ(errorNumberOf([] { rt::MkDir(L"c:\\manca\\dati"); }), rt::err::kPathNotFound);
    EXPECT_FALSE(fs::exists(c / "manca"));
}

// --- delete by pattern

using DeleteFiles = Headless;

TEST_F(DeleteFiles, DeletesOnlyPlainFilesWhoseLongNamesMatch)
{
    for (const char* name : {"a.doc", "B.DOC", "x.docx", "b.doc.bak", "c.xls"})
        writeFile(c / "p" / name, name);
    fs::create_directories(c / "p" / "cartella.doc");
    rt::Kill(L"C:\\P\\*.doc");
    EXPECT_FALSE(fs::exists(c / "p" / "a.doc"));
    EXPECT_FALSE(fs::exists(c / "p" / "B.DOC"));
    for (const char* name : {"x.docx", "b.doc.bak", "c.xls"})
        EXPECT_EQ(readFile(c / "p" / name), name);
    EXPECT_TRUE(fs::is_directory(c / "p" / "cartella.doc"));
}

TEST_F(DeleteFiles, NoMatchIsNoErrorButAMissingFolderIs)
{
    writeFile(c / "p" / "a.txt", "a");
    EXPECT_EQ(errorNumberOf([] { rt::Kill(L"c:\\p\\*.doc"); }), 0);
    EXPECT_EQ(errorNumberOf([] { rt::Kill(L"c:\\manca\\*.doc"); }), rt::err::kPathNotFound);
    EXPECT_TRUE(fs::exists(c / "p" / "a.txt"));
}

TEST_F(DeleteFiles, AReadOnlyFileStaysAndFailsTheCallAfterTheOthersAreGone)
{
    for (const char* name : {"a.doc", "b.doc", "c.doc"})
        writeFile(c / "p" / name, name);
    fs::permissions(c / "p" / "a.doc", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(errorNumberOf([] { rt::Kill(L"c:\\p\\*.doc"); }), rt::err::kPathFileAccess);
    EXPECT_EQ(readFile(c / "p" / "a.doc"), "a.doc");
    EXPECT_FALSE(fs::exists(c / "p" / "b.doc"));
    EXPECT_FALSE(fs::exists(c / "p" / "c.doc"));
}

// --- the file-system object

class FileSystemObject : public Headless {
protected:
    void copyFile(const std::wstring& source, const std::wstring& destination)
    {
        rt::Variant fso = rt::CreateObject(L"Scripting.FileSystemObject");
        __vbaLateMemCall(__vbaObjVar(fso), L"CopyFile", 2, {rt::Variant(source), rt::Variant(destination)});
    }
};

TEST_F(FileSystemObject, CopiesEveryMatchByteForByteOverwriting)
{
    const std::string binary("\0\xFF\r\n\x80 testo", 10);
    writeFile(c / "p" / "a.doc", binary);
    writeFile(c / "p" / "B.DOC", "nuovo");
    writeFile(c / "p" / "x.docx", "x");
    writeFile(c / "p" / "dati" / "B.DOC", "vecchio");
    copyFile(L"c:\\P\\*.doc", L"c:\\p\\DATI\\");
    EXPECT_EQ(filesIn(c / "p" / "dati"), (std::map<std::string, std::string>{{"a.doc", binary}, {"B.DOC", "nuovo"}}));
    EXPECT_EQ(readFile(c / "p" / "a.doc"), binary);
}

TEST_F(FileSystemObject, OverwritesAnExistingDestinationThatDiffersOnlyInCase)
{
    writeFile(c / "p" / "licenza.doc", "nuova");
    writeFile(c / "q" / "LICENZA.DOC", "vecchia");
    copyFile(L"c:\\p\\lic*.doc", L"c:\\q\\");
    EXPECT_EQ(filesIn(c / "q"), (std::map<std::string, std::string>{{"LICENZA.DOC", "nuova"}}));
}

TEST_F(FileSystemObject, NothingMatchingIsFileNotFound)
{
    writeFile(c / "p" / "x.docx", "x");
    fs::create_directories(c / "q");
    EXPECT_EQ(errorNumberOf([&] { copyFile(L"c:\\p\\*.doc", L"c:\\q\\"); }), rt::err::kFileNotFound);
    EXPECT_TRUE(filesIn(c / "q").empty());
}

TEST_F(FileSystemObject, DestinationMustBeAnExistingFolderWrittenWithItsSeparator)
{
    writeFile(c / "p" / "a.doc", "a");
    fs::create_directories(c / "q");
    EXPECT_EQ(errorNumberOf([&] { copyFile(L"c:\\p\\*.doc", L"c:\\manca\\"); }), rt::err::kPathNotFound);
    EXPECT_EQ(errorNumberOf([&] { copyFile(L"c:\\p\\*.doc", L"c:\\q"); }), rt::err::kPathNotFound);
    EXPECT_FALSE(fs::exists(c / "manca"));
    EXPECT_TRUE(filesIn(c / "q").empty());
}

TEST_F(FileSystemObject, AReadOnlyDestinationIsPermissionDeniedAndKeepsItsContent)
{
    writeFile(c / "p" / "a.doc", "nuovo");
    writeFile(c / "q" / "a.doc", "vecchio");
    fs::permissions(c / "q" / "a.doc", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(errorNumberOf([&] { copyFile(L"c:\\p\\a.doc", L"c:\\q\\"); }), rt::err::kPermissionDenied);
    EXPECT_EQ(readFile(c / "q" / "a.doc"), "vecchio");
}

TEST_F(FileSystemObject, OtherMembersAndUnknownProgIdsAreRefused)
{
    rt::Variant fso = rt::CreateObject(L"SCRIPTING.FILESYSTEMOBJECT");
    EXPECT_EQ(errorNumberOf([&] { __vbaLateMemCall(__vbaObjVar(fso), L"MoveFile", 2, {rt::Variant(L"a"), rt::Variant(L"b")}); }),
              rt::err::kNoSuchMember);
    EXPECT_EQ(errorNumberOf([&] { __vbaVarLateMemCallLdRf(fso, L"copyfile", 0); }), rt::err::kNoSuchMember);
    EXPECT_EQ(errorNumberOf([] { rt::CreateObject(L"word.application"); }), rt::err::kCantCreateObject);
    session.unregisterObject(L"scripting.FileSystemObject");
    EXPECT_EQ(errorNumberOf([] { rt::CreateObject(L"scripting.filesystemobject"); }), rt::err::kCantCreateObject);
}

// --- programs and message boxes

using Machine = Headless;

TEST_F(Machine, StartsAProgramThatExistsAndRecordsThePathAsWritten)
{
    writeFile(d / "Setup" / "SETUP.EXE", "MZ");
    const double first = rt::Shell(L"d:\\setup\\setup.exe", rt::vbNormalFocus);
    const double second = rt::Shell(L"D:\\SETUP\\Setup.exe", rt::vbNormalFocus);
    EXPECT_GT(second, first);
    ASSERT_EQ(session.startedPrograms().size(), 2u);
    EXPECT_EQ(session.startedPrograms()[0].path, L"d:\\setup\\setup.exe");
    EXPECT_EQ(session.startedPrograms()[0].windowStyle, rt::vbNormalFocus);
    EXPECT_EQ(session.startedPrograms()[1].path, L"D:\\SETUP\\Setup.exe");
}

TEST_F(Machine, AMissingProgramIsFileNotFoundAndNotRecorded)
{
    EXPECT_EQ(errorNumberOf([] { rt::Shell(L"d:\\setup\\setup.exe", rt::vbNormalFocus); }), rt::err::kFileNotFound);
    fs::create_directories(d / "setup.exe");
    EXPECT_EQ(errorNumberOf([] { rt::Shell(L"d:\\setup.exe", rt::vbNormalFocus); }), rt::err::kFileNotFound);
    EXPECT_TRUE(session.startedPrograms().empty());
}

TEST_F(Machine, MessageBoxWithoutTitleCarriesTheProgramsTitle)
{
    EXPECT_EQ(session.title(), L"Installazione \u00E8");
    EXPECT_EQ(rt::MsgBox(rt::Variant(L"Inserire il CD"), rt::vbOKOnly), 1);
    rt::MsgBox(rt::Variant(L"Fatto"), 64, rt::Variant(L""));
    rt::MsgBox(rt::Variant(L"Attenzione"), 48, rt::Variant(L"Avviso"));
    ASSERT_EQ(session.messages().size(), 3u);
    EXPECT_EQ(session.messages()[0].prompt, L"Inserire il CD");
    EXPECT_EQ(session.messages()[0].buttons, rt::vbOKOnly);
    EXPECT_EQ(session.messages()[0].title, L"Installazione \u00E8");
    EXPECT_EQ(session.messages()[1].title, L"Installazione \u00E8");
    EXPECT_EQ(session.messages()[2].buttons, 48);
    EXPECT_EQ(session.messages()[2].title, L"Avviso");
}

TEST_F(Machine, TheNewestSessionIsThePlatformUntilItEnds)
{
    EXPECT_EQ(&rt::platform(), &session);
    const rt::Project other{.title = "altro", .startupForm = {}};
    auto older = std::make_unique<Session>(other);
    auto newer = std::make_unique<Session>(other);
    older.reset();
    EXPECT_EQ(&rt::platform(), newer.get());
    newer.reset();
    EXPECT_EQ(errorNumberOf([] { rt::platform(); }), rt::err::kInternal);
}

// --- armed faults

using Arming = Headless;

TEST_F(Arming, FailsTheNthCallOnlyWithTheGivenNumber)
{
    writeFile(c / "a.doc", "a");
    session.arm(Op::FindFirst, 3);
    session.arm(Op::MakeFolder, 1, rt::err::kPermissionDenied);
    EXPECT_EQ(rt::Dir(L"c:\\a.doc", rt::vbNormal), L"a.doc");
    EXPECT_EQ(rt::Dir(L"c:\\a.doc", rt::vbNormal), L"a.doc");
    EXPECT_EQ(errorNumberOf([] { rt::Dir(L"c:\\a.doc", rt::vbNormal); }), rt::err::kPathFileAccess);
    EXPECT_EQ(rt::Dir(L"c:\\a.doc", rt::vbNormal), L"a.doc");
    EXPECT_EQ(errorNumberOf([] { rt::MkDir(L"c:\\dati"); }), rt::err::kPermissionDenied);
    EXPECT_FALSE(fs::exists(c / "dati"));
    rt::MkDir(L"c:\\dati");
    EXPECT_TRUE(fs::is_directory(c / "dati"));
}

TEST_F(Arming, AFailedOperationLeavesTheMachineUnchanged)
{
    writeFile(c / "p" / "a.doc", "a");
    writeFile(d / "setup.exe", "MZ");
    session.arm(Op::DeleteFiles, 1);
    session.arm(Op::StartProgram, 1, rt::err::kPermissionDenied);
    session.arm(Op::MessageBox, 1, rt::err::kOutOfMemory);
    EXPECT_EQ(errorNumberOf([] { rt::Kill(L"c:\\p\\*.doc"); }), rt::err::kPathFileAccess);
    EXPECT_EQ(errorNumberOf([] { rt::Shell(L"d:\\setup.exe", rt::vbNormalFocus); }), rt::err::kPermissionDenied);
    EXPECT_EQ(errorNumberOf([] { rt::MsgBox(rt::Variant(L"x"), rt::vbOKOnly); }), rt::err::kOutOfMemory);
    EXPECT_TRUE(fs::exists(c / "p" / "a.doc"));
    EXPECT_TRUE(session.startedPrograms().empty());
    EXPECT_TRUE(session.messages().empty());
}

TEST_F(Arming, LateCallsCountOnCreatedObjectsAndWhatTheyReturn)
{
    struct Child final : rt::Object {
        rt::Variant invoke(std::wstring_view, rt::CallKind, const std::vector<rt::Variant>&) override { return {}; }
    };
    struct Parent final : rt::Object {
        rt::Variant invoke(std::wstring_view, rt::CallKind, const std::vector<rt::Variant>&) override
        {
            return rt::Variant(rt::ObjectRef(std::make_shared<Child>()));
        }
    };
    session.registerObject(L"prova.oggetto", [] { return std::make_shared<Parent>(); });
    session.arm(Op::CreateObject, 2, rt::err::kCantCreateObject);
    session.arm(Op::LateCall, 2);
    rt::Variant parent = rt::CreateObject(L"prova.oggetto");
    EXPECT_EQ(errorNumberOf([] { rt::CreateObject(L"prova.oggetto"); }), rt::err::kCantCreateObject);
    rt::Variant child = __vbaVarLateMemCallLdRf(parent, L"Documents", 0);
    EXPECT_EQ(errorNumberOf([&] { __vbaLateMemCall(__vbaObjVar(child), L"Open", 0, {}); }), rt::err::kPathFileAccess);
    EXPECT_EQ(errorNumberOf([&] { __vbaLateMemCall(__vbaObjVar(child), L"Open", 0, {}); }), 0);
}

TEST_F(Arming, FailedCopyCopiesNothing)
{
    writeFile(c / "p" / "a.doc", "a");
    fs::create_directories(c / "q");
    rt::Variant fso = rt::CreateObject(L"scripting.filesystemobject");
    session.arm(Op::LateCall, 1);
    EXPECT_EQ(errorNumberOf([&] {
                  __vbaLateMemCall(__vbaObjVar(fso), L"copyfile", 2, {rt::Variant(L"c:\\p\\*.doc"), rt::Variant(L"c:\\q\\")});
              }),
              rt::err::kPathFileAccess);
    EXPECT_TRUE(filesIn(c / "q").empty());
}

// --- the window model and event dispatch

using Events = Headless;

TEST_F(Events, LoadRunsAtStartAndTheFocusGoesToTheFirstVisibleTabStop)
{
    bool loaded = false;
    script.load = [&] { loaded = true; };
    session.start();
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(session.started());
    EXPECT_EQ(session.focus(), "Button");
}

TEST_F(Events, TabFollowsTheTabOrderOverVisibleControlsOnlyAndWraps)
{
    script.buttonClick = [&] { rt::letVisible(script.form->control("Hidden"), true); };
    session.start();
    session.pressTab();
    EXPECT_EQ(session.focus(), "Drives");
    session.pressTab();
    EXPECT_EQ(session.focus(), "Button");
    session.click("Button");
    session.pressTab();
    EXPECT_EQ(session.focus(), "Drives");
    session.pressTab();
    EXPECT_EQ(session.focus(), "Hidden");
}

TEST_F(Events, ARuntimeErrorIsReportedAndTheProgramGoesOn)
{
    script.buttonClick = [] { rt::Kill(L"c:\\manca\\*.doc"); };
    session.start();
    session.click("Button");
    session.click("Button");
    EXPECT_EQ(script.clicks, 2);
    ASSERT_EQ(session.reports().size(), 2u);
    EXPECT_EQ(session.reports()[0].number(), rt::err::kPathNotFound);
    EXPECT_EQ(rt::errorReportText(session.reports()[0]), L"Errore di run-time '76':\n\nImpossibile trovare il percorso");
    EXPECT_FALSE(session.ended());
}

TEST_F(Events, OtherFailuresOfAHandlerAreReportedAsOutOfMemoryOrInternal)
{
    script.buttonClick = [] { throw std::bad_alloc(); };
    script.drivesChange = [] { throw std::runtime_error("guasto"); };
    session.start();
    session.click("Button");
    session.chooseDrive("Drives", L'd');
    ASSERT_EQ(session.reports().size(), 2u);
    EXPECT_EQ(session.reports()[0].number(), rt::err::kOutOfMemory);
    EXPECT_EQ(session.reports()[0].description(), L"Memoria esaurita");
    EXPECT_EQ(session.reports()[1].number(), rt::err::kInternal);
    EXPECT_EQ(session.reports()[1].description(), L"Errore interno");
}

TEST_F(Events, AFailedLoadLeavesTheWindowUp)
{
    script.load = [] { rt::CreateObject(L"word.application"); };
    session.start();
    ASSERT_EQ(session.reports().size(), 1u);
    EXPECT_EQ(session.reports()[0].number(), rt::err::kCantCreateObject);
    session.click("Button");
    EXPECT_EQ(script.clicks, 1);
}

TEST_F(Events, AHiddenControlCannotBeClickedButCanBeRaised)
{
    int hiddenClicks = 0;
    script.hiddenClick = [&] { ++hiddenClicks; };
    session.start();
    session.click("Hidden");
    EXPECT_EQ(hiddenClicks, 0);
    session.raise("Hidden", rt::Event::Click);
    EXPECT_EQ(hiddenClicks, 1);
    session.raise("Caption", rt::Event::Click);
    EXPECT_TRUE(session.reports().empty());
}

TEST_F(Events, EndStopsEveryLaterEventWithoutAReport)
{
    script.buttonClick = [] {
        __vbaEnd();
    };
    session.start();
    session.click("Button");
    EXPECT_TRUE(session.ended());
    session.click("Button");
    session.chooseDrive("Drives", L'c');
    EXPECT_EQ(script.clicks, 1);
    EXPECT_EQ(script.changes, 0);
    EXPECT_TRUE(session.reports().empty());
}

TEST_F(Events, ChangeIsRaisedOnlyWhenTheChosenDriveDiffers)
{
    std::vector<std::wstring> seen;
    script.drivesChange = [&] { seen.push_back(rt::getDrive(script.form->control("Drives"))); };
    session.setProgramDrive(L'D');
    session.start();
    EXPECT_EQ(session.heldDrive("Drives"), L"d:");
    EXPECT_EQ(session.listedDrives(), (std::vector<wchar_t>{L'c', L'd'}));
    session.chooseDrive("Drives", L'D');
    EXPECT_TRUE(seen.empty());
    session.chooseDrive("Drives", L'C');
    session.chooseDrive("Drives", L'c');
    session.chooseDrive("Drives", L'd');
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"c:", L"d:"}));
    EXPECT_THROW(session.chooseDrive("Drives", L'q'), std::invalid_argument);
}

TEST_F(Events, AHiddenDriveListCannotBeChosenFrom)
{
    script.load = [&] { rt::letVisible(script.form->control("Drives"), false); };
    session.start();
    session.chooseDrive("Drives", L'd');
    EXPECT_EQ(script.changes, 0);
    EXPECT_EQ(session.heldDrive("Drives"), L"c:");
}

TEST_F(Events, PropertyFailuresBecomeRuntimeErrorsAndChangeNothing)
{
    session.start();
    rt::Form& form = *script.form;
    session.arm(Op::LetVisible, 1, rt::err::kObjectNotSet);
    session.arm(Op::GetDrive, 1, rt::err::kDeviceUnavailable);
    session.arm(Op::LetMousePointer, 2);
    EXPECT_EQ(errorNumberOf([&] { rt::letVisible(form.control("Button"), false); }), rt::err::kObjectNotSet);
    EXPECT_TRUE(session.isVisible("Button"));
    EXPECT_EQ(errorNumberOf([&] { rt::getDrive(form.control("Drives")); }), rt::err::kDeviceUnavailable);
    EXPECT_EQ(rt::getDrive(form.control("Drives")), L"c:");
    EXPECT_EQ(errorNumberOf([&] { rt::getDrive(form.control("Button")); }), static_cast<std::int32_t>(rt::kNoInterface));
    rt::letMousePointer(form, rt::vbHourglass);
    EXPECT_EQ(errorNumberOf([&] { rt::letMousePointer(form, rt::vbDefault); }), rt::err::kPathFileAccess);
    EXPECT_EQ(session.mousePointer(), rt::vbHourglass);
    rt::letMousePointer(form, rt::vbDefault);
    EXPECT_EQ(session.pointerChanges(), (std::vector<int>{rt::vbHourglass, rt::vbDefault}));
}

TEST_F(Events, AFormWithoutAWindowHasNoObject)
{
    TestForm form(script);
    EXPECT_EQ(errorNumberOf([&] { form.control("Button"); }), rt::err::kObjectNotSet);
    EXPECT_EQ(errorNumberOf([&] { rt::letMousePointer(form, rt::vbHourglass); }), rt::err::kObjectNotSet);
}

TEST(TabOrder, ListsVisibleButtonsAndDriveListsByTabIndex)
{
    const auto order = rt::tabOrder(kTestFormDesc, [](const rt::ControlDesc&) { return true; });
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0]->name, "Hidden");
    EXPECT_EQ(order[1]->name, "Button");
    EXPECT_EQ(order[2]->name, "Drives");
    EXPECT_TRUE(rt::tabOrder(kTestFormDesc, [](const rt::ControlDesc&) { return false; }).empty());
    EXPECT_EQ(rt::findControl(kTestFormDesc, "Caption")->kind, rt::ControlKind::Label);
    EXPECT_EQ(rt::findControl(kTestFormDesc, "caption"), nullptr);
}

}  // namespace
