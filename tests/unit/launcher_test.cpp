// The launcher on the headless backend: its window, the first-start move into "dati", and the
// document buttons, with c: mapped to a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "ORVANE_Quorbel_3/Form1.h"
#include "recording_word.h"
#include "runtime/headless.h"
#include "checks.h"
#include "temp_tree.h"

namespace {

using namespace testing_support;
using rt::headless::Op;
using rt::headless::Session;

const std::wstring kIndexPath = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\dati\\0_INDICE.doc";
const std::wstring kLicencePath = L"c:\\PROGRAMMI\\ORVANE_Quorbel_3\\licenza.doc";

class Launcher : public ::testing::Test {
protected:
    Launcher()
    {
        product = tree.folder("c/PROGRAMMI/ORVANE_Quorbel_3");
        dati = product / "dati";
    }

    // A new start of the program on the same machine.
    Session& start(const std::function<void(Session&)>& prepare = {})
    {
        session.reset();
        session = std::make_unique<Session>(launcher::kProject);
        session->mapDrive(L'c', tree.root() / "c");
        session->registerObject(L"word.application", [this] {
            return std::make_shared<RecordingWord>(word, [this](const std::wstring& path) {
                return fs::exists(session->hostPath(path));
            });
        });
        if (prepare)
            prepare(*session);
        session->start();
        return *session;
    }

    // What the setup program leaves in the product folder.
    void installProduct()
    {
        for (const char* name : {"0_INDICE.doc", "licenza.doc", "lic_extra.doc", "capitolo 1.doc", "prezzi.xls",
                                 "calcoli.xls", "leggimi.txt", "ORVANE_Quorbel_3.exe"})
            writeFile(product / name, std::string("contenuto di ") + name);
    }

    TempTree tree;
    fs::path product;
    fs::path dati;
    WordLog word;
    std::unique_ptr<Session> session;
};

// --- the window

TEST_F(Launcher, WindowLayoutFitsTheClientAreaOnWholePixels)
{
    const rt::FormDesc& desc = launcher::kForm1Desc;
    EXPECT_EQ(rt::toPixels(desc.clientWidth), 771);
    EXPECT_EQ(rt::toPixels(desc.clientHeight), 350);
    expectLayoutFits(desc);
}

TEST_F(Launcher, IndexButtonIsHiddenUntilTheLoadEventShowsIt)
{
    EXPECT_FALSE(rt::findControl(launcher::kForm1Desc, "Command1")->visible);
    installProduct();
    Session& s = start();
    EXPECT_TRUE(s.isVisible("Command1"));
    EXPECT_TRUE(s.isVisible("Command2"));
    EXPECT_TRUE(s.isVisible("Command5"));
}

TEST_F(Launcher, TabGoesFromCloseToIndexToLicence)
{
    installProduct();
    Session& s = start();
    EXPECT_EQ(s.focus(), "Command5");
    s.pressTab();
    EXPECT_EQ(s.focus(), "Command1");
    s.pressTab();
    EXPECT_EQ(s.focus(), "Command2");
    s.pressTab();
    EXPECT_EQ(s.focus(), "Command5");
}

TEST_F(Launcher, CloseButtonEndsTheProgramWithoutTouchingTheWordProcessor)
{
    installProduct();
    Session& s = start();
    s.click("Command1");
    s.click("Command5");
    EXPECT_TRUE(s.ended());
    EXPECT_EQ(word.calls.size(), 3u);
    EXPECT_TRUE(s.messages().empty());
    EXPECT_TRUE(s.reports().empty());
}

TEST_F(Launcher, CloseButtonEndsTheProgramAlsoUnderTheHourglassOfAFailedClick)
{
    installProduct();
    Session& s = start();
    fs::remove(product / "licenza.doc");
    s.click("Command2");
    ASSERT_EQ(s.mousePointer(), rt::vbHourglass);
    s.click("Command5");
    EXPECT_TRUE(s.ended());
}

// --- the first start

TEST_F(Launcher, FirstStartMovesDocumentsAndSpreadsheetsAndCopiesLicencesBack)
{
    installProduct();
    const auto before = filesIn(product);
    Session& s = start();
    EXPECT_TRUE(s.reports().empty());

    const auto moved = filesIn(dati);
    const std::vector<std::string> movedNames{"0_INDICE.doc", "calcoli.xls", "capitolo 1.doc",
                                              "lic_extra.doc", "licenza.doc", "prezzi.xls"};
    ASSERT_EQ(moved.size(), movedNames.size());
    for (const auto& name : movedNames)
        EXPECT_EQ(moved.at(name), before.at(name)) << name;

    const auto left = filesIn(product);
    const std::vector<std::string> leftNames{"ORVANE_Quorbel_3.exe", "lic_extra.doc", "licenza.doc", "leggimi.txt"};
    ASSERT_EQ(left.size(), leftNames.size());
    for (const auto& name : leftNames)
        EXPECT_EQ(left.at(name), before.at(name)) << name;
}

TEST_F(Launcher, LaterStartOnlyShowsTheIndexButtonEvenWithNewFiles)
{
    installProduct();
    start();
    writeFile(product / "nuovo.doc", "nuovo");
    writeFile(product / "nuovo.xls", "nuovo");
    const auto product_before = filesIn(product);
    const auto dati_before = filesIn(dati);

    // Any file or object operation would fail and be reported: none may be attempted.
    Session& s = start([](Session& next) {
        for (Op op : {Op::MakeFolder, Op::CreateObject, Op::DeleteFiles})
            next.arm(op, 1);
    });
    EXPECT_TRUE(s.isVisible("Command1"));
    EXPECT_TRUE(s.reports().empty());
    EXPECT_EQ(filesIn(product), product_before);
    EXPECT_EQ(filesIn(dati), dati_before);
}

TEST_F(Launcher, DatiWithoutTheIndexDocumentCountsAsNotMoved)
{
    installProduct();
    writeFile(dati / "capitolo 1.doc", "vecchia copia");
    Session& s = start();
    EXPECT_TRUE(s.reports().empty());
    EXPECT_EQ(readFile(dati / "capitolo 1.doc"), "contenuto di capitolo 1.doc");
    EXPECT_TRUE(fs::exists(dati / "0_INDICE.doc"));
    EXPECT_FALSE(fs::exists(product / "0_INDICE.doc"));
}

TEST_F(Launcher, ProductWithoutIndexDocumentRunsTheMoveAtEveryStart)
{
    installProduct();
    fs::remove(product / "0_INDICE.doc");
    start();
    EXPECT_FALSE(fs::exists(product / "capitolo 1.doc"));
    EXPECT_TRUE(fs::exists(dati / "capitolo 1.doc"));

    // The next start meets the existing "dati" and moves again; with no spreadsheet left in
    // the product folder the copy of "*.xls" finds nothing and stops the move there.
    writeFile(product / "aggiunto.doc", "aggiunto");
    Session& s = start();
    ASSERT_EQ(s.reports().size(), 1u);
    EXPECT_EQ(s.reports().front().number(), rt::err::kFileNotFound);
    EXPECT_EQ(readFile(dati / "aggiunto.doc"), "aggiunto");
    EXPECT_TRUE(fs::exists(product / "aggiunto.doc"));
    EXPECT_TRUE(s.isVisible("Command1"));
}

TEST_F(Launcher, FilesOutsideBothPatternsAreNeitherCopiedNorDeleted)
{
    installProduct();
    for (const char* name : {"nota.docx", "tabella.xlsx", "vecchio.doc.bak", "readme"})
        writeFile(product / name, name);
    fs::create_directories(product / "cartella.doc");
    start();
    for (const char* name : {"nota.docx", "tabella.xlsx", "vecchio.doc.bak", "readme"}) {
        EXPECT_EQ(readFile(product / name), name);
        EXPECT_FALSE(fs::exists(dati / name)) << name;
    }
    EXPECT_TRUE(fs::is_directory(product / "cartella.doc"));
}

// --- a first start that fails at each of its steps

struct FailingStep {
    const char* name;
    Op op;
    int nth;
    bool buttonShown;
    bool datiMade;
    std::vector<std::string> inDati;      // documents and spreadsheets
    std::vector<std::string> inProduct;   // documents and spreadsheets left
    bool nextStartMovesAgain;
};

// Named by its step in test listings.
void PrintTo(const FailingStep& step, std::ostream* out) { *out << step.name; }

const std::vector<std::string> kAll{"0_INDICE.doc", "calcoli.xls", "capitolo 1.doc", "lic_extra.doc",
                                    "licenza.doc", "prezzi.xls"};
const std::vector<std::string> kDocs{"0_INDICE.doc", "capitolo 1.doc", "lic_extra.doc", "licenza.doc"};
const std::vector<std::string> kSheets{"calcoli.xls", "prezzi.xls"};

class LauncherFailingStep : public Launcher, public ::testing::WithParamInterface<FailingStep> {
protected:
    static std::vector<std::string> productDocuments(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& [name, content] : filesIn(folder))
            if (name.ends_with(".doc") || name.ends_with(".xls"))
                names.push_back(name);
        return names;
    }
};

TEST_P(LauncherFailingStep, StopsThereLosesNothingAndTheNextStartFollowsTheMark)
{
    const FailingStep& step = GetParam();
    installProduct();
    const auto original = filesIn(product);
    Session& s = start([&](Session& first) { first.arm(step.op, step.nth); });

    ASSERT_EQ(s.reports().size(), 1u);
    EXPECT_EQ(s.isVisible("Command1"), step.buttonShown);
    EXPECT_EQ(fs::exists(dati), step.datiMade);
    EXPECT_EQ(productDocuments(dati), step.inDati);
    EXPECT_EQ(productDocuments(product), step.inProduct);
    for (const auto& [name, content] : filesIn(dati))
        EXPECT_EQ(content, original.at(name)) << name;
    for (const auto& [name, content] : original)
        EXPECT_TRUE(fs::exists(product / name) || fs::exists(dati / name)) << name << " lost";

    Session& next = start();
    EXPECT_TRUE(next.reports().empty());
    EXPECT_TRUE(next.isVisible("Command1"));
    if (step.nextStartMovesAgain) {
        EXPECT_EQ(productDocuments(dati), kAll);
        EXPECT_EQ(productDocuments(product), (std::vector<std::string>{"lic_extra.doc", "licenza.doc"}));
    } else {
        EXPECT_EQ(productDocuments(dati), step.inDati);
        EXPECT_EQ(productDocuments(product), step.inProduct);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, LauncherFailingStep,
    ::testing::Values(
        FailingStep{"ShowingTheButton", Op::LetVisible, 1, false, false, {}, kAll, true},
        FailingStep{"MakingDati", Op::MakeFolder, 1, true, false, {}, kAll, true},
        FailingStep{"CreatingTheFileSystemObject", Op::CreateObject, 1, true, true, {}, kAll, true},
        FailingStep{"CopyingTheDocuments", Op::LateCall, 1, true, true, {}, kAll, true},
        FailingStep{"CopyingTheSpreadsheets", Op::LateCall, 2, true, true, kDocs, kAll, false},
        FailingStep{"DeletingTheDocuments", Op::DeleteFiles, 1, true, true, kAll, kAll, false},
        FailingStep{"DeletingTheSpreadsheets", Op::DeleteFiles, 2, true, true, kAll, kSheets, false},
        FailingStep{"CopyingTheLicencesBack", Op::LateCall, 3, true, true, kAll, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Launcher, AFailedDirectorySearchChangesNothingAndLeavesTheButtonHidden)
{
    installProduct();
    const auto before = filesIn(product);
    Session& s = start([](Session& first) { first.arm(Op::FindFirst, 1); });
    ASSERT_EQ(s.reports().size(), 1u);
    EXPECT_FALSE(s.isVisible("Command1"));
    EXPECT_FALSE(fs::exists(dati));
    EXPECT_EQ(filesIn(product), before);
}

// --- the document buttons

class LauncherDocuments : public Launcher {
protected:
    void SetUp() override
    {
        installProduct();
        start();
        ASSERT_TRUE(session->reports().empty());
        word = {};
    }
};

TEST_F(LauncherDocuments, IndexButtonOpensTheIndexAndShowsTheWordProcessorUnderTheHourglass)
{
    session->click("Command1");
    EXPECT_EQ(word.created, 1);
    EXPECT_EQ(word.released, 1);
    EXPECT_EQ(word.calls, (std::vector<std::wstring>{L"Documents", L"Open " + kIndexPath, L"Visible -1"}));
    EXPECT_EQ(session->pointerChanges(), (std::vector<int>{11, 0}));
    EXPECT_TRUE(session->reports().empty());
}

TEST_F(LauncherDocuments, LicenceButtonOpensTheLicenceFromTheProductFolder)
{
    session->click("Command2");
    EXPECT_EQ(word.calls, (std::vector<std::wstring>{L"Documents", L"Open " + kLicencePath, L"Visible -1"}));
    EXPECT_EQ(session->pointerChanges(), (std::vector<int>{11, 0}));
}

TEST_F(LauncherDocuments, IndexButtonDoesNothingAtAllWhileTheIndexIsMissing)
{
    fs::rename(dati / "0_INDICE.doc", tree.root() / "altrove.doc");
    session->click("Command1");
    EXPECT_EQ(word.created, 0);
    EXPECT_TRUE(session->pointerChanges().empty());
    EXPECT_TRUE(session->reports().empty());
    EXPECT_TRUE(session->messages().empty());

    fs::rename(tree.root() / "altrove.doc", dati / "0_INDICE.doc");
    session->click("Command1");
    EXPECT_EQ(word.created, 1);
    EXPECT_EQ(word.calls.back(), L"Visible -1");
}

TEST_F(LauncherDocuments, EveryClickMakesItsOwnWordProcessor)
{
    session->click("Command1");
    session->click("Command1");
    EXPECT_EQ(word.created, 2);
    EXPECT_EQ(word.released, 2);
    EXPECT_EQ(std::count(word.calls.begin(), word.calls.end(), L"Open " + kIndexPath), 2);
}

TEST_F(LauncherDocuments, MissingLicenceLeavesTheHourglassAndAnInvisibleWordProcessor)
{
    fs::remove(product / "licenza.doc");
    session->click("Command2");
    EXPECT_EQ(word.calls, (std::vector<std::wstring>{L"Documents", L"Open " + kLicencePath}));
    EXPECT_EQ(session->mousePointer(), rt::vbHourglass);
    EXPECT_EQ(word.released, 1);
    ASSERT_EQ(session->reports().size(), 1u);
    EXPECT_EQ(session->reports().front().number(), 5174);

    // A later click that gets through sets the pointer back.
    session->click("Command1");
    EXPECT_EQ(session->mousePointer(), rt::vbDefault);
}

TEST_F(LauncherDocuments, NoWordProcessorRegisteredStopsRightAfterTheHourglass)
{
    session->unregisterObject(L"word.application");
    session->click("Command1");
    ASSERT_EQ(session->reports().size(), 1u);
    EXPECT_EQ(session->reports().front().number(), rt::err::kCantCreateObject);
    EXPECT_EQ(session->pointerChanges(), (std::vector<int>{11}));
    EXPECT_FALSE(session->ended());
}

struct FailingOpenStep {
    const char* name;
    Op op;
    int nth;
    std::vector<std::wstring> calls;
    std::vector<int> pointerChanges;
};

// Named by its step in test listings.
void PrintTo(const FailingOpenStep& step, std::ostream* out) { *out << step.name; }

class LauncherFailingOpen : public LauncherDocuments, public ::testing::WithParamInterface<FailingOpenStep> {};

TEST_P(LauncherFailingOpen, StopsAtTheStepAndReleasesTheWordProcessor)
{
    const FailingOpenStep& step = GetParam();
    session->arm(step.op, step.nth);
    session->click("Command1");
    ASSERT_EQ(session->reports().size(), 1u);
    EXPECT_EQ(word.calls, step.calls);
    EXPECT_EQ(session->pointerChanges(), step.pointerChanges);
    EXPECT_EQ(word.released, word.created);
}

const std::wstring kOpenIndex = L"Open " + kIndexPath;

INSTANTIATE_TEST_SUITE_P(
    EveryStep, LauncherFailingOpen,
    ::testing::Values(
        FailingOpenStep{"ExistenceTest", Op::FindFirst, 1, {}, {}},
        FailingOpenStep{"Hourglass", Op::LetMousePointer, 1, {}, {}},
        FailingOpenStep{"CreatingTheWordProcessor", Op::CreateObject, 1, {}, {11}},
        FailingOpenStep{"Documents", Op::LateCall, 1, {}, {11}},
        FailingOpenStep{"Open", Op::LateCall, 2, {L"Documents"}, {11}},
        FailingOpenStep{"Visible", Op::LateCall, 3, {L"Documents", kOpenIndex}, {11}},
        FailingOpenStep{"PointerBack", Op::LetMousePointer, 2, {L"Documents", kOpenIndex, L"Visible -1"}, {11}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
