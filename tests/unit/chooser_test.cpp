// The setup chooser on the headless backend: its window, the CD check of the family buttons,
// and the retry through the drive list. c: is the machine's disk, d: the product CD, e: a
// drive that holds something else.
#include <gtest/gtest.h>

#include "installazione/Form1.h"
#include "runtime/headless.h"
#include "runtime/text.h"
#include "checks.h"
#include "temp_tree.h"
#include "installazione/texts.h"

namespace {

using namespace testing_support;
using rt::headless::DriveState;
using rt::headless::Op;
using rt::headless::Session;
using rt::headless::StartedProgram;

class Chooser : public ::testing::Test {
protected:
    Chooser()
    {
        writeFile(cd() / "ORVANE.doc", "marker");
        for (const char* setup : {"win9/setup.exe", "winvISTA/setup.exe", "winnt/setup.exe"})
            writeFile(cd() / setup, "setup");
        writeFile(tree.folder("e") / "altro.doc", "altro");
        session.mapDrive(L'c', tree.folder("c"));
        session.mapDrive(L'd', cd());
        session.mapDrive(L'e', tree.folder("e"));
    }

    fs::path cd() const { return tree.root() / "d"; }

    // Starts the program as if from `drive`: the drive lists hold it.
    void startFrom(wchar_t drive)
    {
        session.setProgramDrive(drive);
        session.start();
    }

    void expectRevealed(bool drive1, bool label1, bool label3)
    {
        EXPECT_EQ(session.isVisible("Drive1"), drive1);
        EXPECT_EQ(session.isVisible("Label1"), label1);
        EXPECT_EQ(session.isVisible("Label3"), label3);
        EXPECT_FALSE(session.isVisible("Drive2"));
        EXPECT_FALSE(session.isVisible("Label2"));
    }

    void expectHints(size_t count)
    {
        ASSERT_EQ(session.messages().size(), count);
        for (const auto& message : session.messages()) {
            EXPECT_EQ(message.prompt,
                      L"Dopo l'installazione per avviare il programma START - PROGRAMMI - ORVANE_(nomeprodotto)");
            EXPECT_EQ(message.buttons, 0);
            EXPECT_EQ(message.title, L"Installazione ");
        }
    }

    std::vector<std::wstring> startedPaths() const
    {
        std::vector<std::wstring> paths;
        for (const StartedProgram& p : session.startedPrograms()) {
            EXPECT_EQ(p.windowStyle, 1);
            paths.push_back(p.path);
        }
        return paths;
    }

    TempTree tree;
    Session session{chooser::kProject};
};

// --- the window

TEST_F(Chooser, LayoutFitsTheClientAreaOnWholePixelsWithNoOverlap)
{
    const rt::FormDesc& desc = chooser::kForm1Desc;
    EXPECT_EQ(rt::toPixels(desc.clientWidth), 530);
    EXPECT_EQ(rt::toPixels(desc.clientHeight), 317);
    EXPECT_EQ(rt::fromCp1252(desc.caption), L"ORVANE srl Lumbrasca - INSTALLAZIONE");
    expectLayoutFits(desc);
}

TEST_F(Chooser, LabelTextsDecodeFromWindows1252)
{
    EXPECT_EQ(rt::fromCp1252(rt::findControl(chooser::kForm1Desc, "Label3")->text),
              L"n.b. accertarsi che la directory di installazione sia C:\\PROGRAMMI anzich\u00E8 C:\\PROGRAM FILES");
    for (const char* label : {"Label1", "Label2"})
        EXPECT_EQ(rt::fromCp1252(rt::findControl(chooser::kForm1Desc, label)->text),
                  L"Selezionare il drive contenente il CD");
}

TEST_F(Chooser, OpensWithOnlyTheButtonsShownAndReadsNoDrive)
{
    session.arm(Op::GetDrive, 1);
    session.arm(Op::FindFirst, 1);
    startFrom(L'd');
    EXPECT_TRUE(session.isVisible("Command1"));
    EXPECT_TRUE(session.isVisible("Command2"));
    EXPECT_TRUE(session.isVisible("Command3"));
    expectRevealed(false, false, false);
    EXPECT_TRUE(session.reports().empty());
    EXPECT_TRUE(session.startedPrograms().empty());
}

TEST_F(Chooser, TabFollowsTheTabIndexOverVisibleControls)
{
    startFrom(L'c');
    const auto cycle = [this](int presses) {
        std::vector<std::string> order;
        for (int i = 0; i < presses; ++i, session.pressTab())
            order.emplace_back(session.focus());
        return order;
    };
    EXPECT_EQ(cycle(3), (std::vector<std::string>{"Command1", "Command2", "Command3"}));

    session.click("Command1");  // no CD on c: reveals Drive1
    EXPECT_EQ(cycle(4), (std::vector<std::string>{"Command1", "Command2", "Drive1", "Command3"}));
    EXPECT_EQ(session.focus(), "Command1");
}

TEST_F(Chooser, CloseButtonEndsTheProgramFromAnyState)
{
    startFrom(L'c');
    session.click("Command1");
    session.chooseDrive("Drive1", L'd');
    session.click("Command2");
    EXPECT_TRUE(session.ended());
    EXPECT_EQ(session.messages().size(), 1u);
}

// --- the family buttons

TEST_F(Chooser, FamilyButtonsStartTheirSetupFromTheCdThenShowTheHint)
{
    startFrom(L'd');
    session.click("Command1");
    session.click("Command3");
    session.click("Command1");
    EXPECT_EQ(startedPaths(), (std::vector<std::wstring>{L"d:\\win9\\setup.exe", L"d:\\winvISTA\\setup.exe",
                                                         L"d:\\win9\\setup.exe"}));
    expectHints(3);
    expectRevealed(false, false, false);
    EXPECT_TRUE(session.reports().empty());
}

TEST_F(Chooser, WithoutTheCdTheButtonsRevealTheListAndStillShowTheHint)
{
    startFrom(L'e');
    session.click("Command3");
    expectRevealed(true, true, false);
    session.click("Command1");
    expectRevealed(true, true, true);
    session.click("Command3");
    expectRevealed(true, true, true);
    EXPECT_TRUE(session.startedPrograms().empty());
    expectHints(3);
}

TEST_F(Chooser, AnEmptyCdDriveCountsAsNoCd)
{
    session.mapDrive(L'f', tree.folder("f"), DriveState::NotReady);
    startFrom(L'f');
    session.click("Command1");
    EXPECT_TRUE(session.reports().empty());
    expectRevealed(true, true, true);
    expectHints(1);
}

TEST_F(Chooser, MarkerWithoutTheFamilysSetupIsAnErrorAndNoHintFollows)
{
    fs::remove_all(cd() / "winvISTA");
    startFrom(L'd');
    session.click("Command3");
    ASSERT_EQ(session.reports().size(), 1u);
    EXPECT_EQ(session.reports().front().number(), rt::err::kFileNotFound);
    EXPECT_TRUE(session.messages().empty());
    expectRevealed(false, false, false);
}

struct FailingCheck {
    const char* name;
    Op op;
    int nth;
    bool drive1, label1, label3;
};

// Named by its step in test listings.
void PrintTo(const FailingCheck& step, std::ostream* out) { *out << step.name; }

class ChooserFailingStep : public Chooser, public ::testing::WithParamInterface<FailingCheck> {};

TEST_P(ChooserFailingStep, StopsBeforeTheHint)
{
    const FailingCheck& step = GetParam();
    startFrom(L'e');
    session.arm(step.op, step.nth);
    session.click("Command1");
    ASSERT_EQ(session.reports().size(), 1u);
    EXPECT_TRUE(session.messages().empty());
    EXPECT_TRUE(session.startedPrograms().empty());
    expectRevealed(step.drive1, step.label1, step.label3);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, ChooserFailingStep,
                         ::testing::Values(FailingCheck{"ReadingTheDrive", Op::GetDrive, 1, false, false, false},
                                           FailingCheck{"SearchingTheMarker", Op::FindFirst, 1, false, false, false},
                                           FailingCheck{"ShowingDrive1", Op::LetVisible, 1, false, false, false},
                                           FailingCheck{"ShowingLabel1", Op::LetVisible, 2, true, false, false},
                                           FailingCheck{"ShowingLabel3", Op::LetVisible, 3, true, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Chooser, SecondDriveReadFailingStopsBeforeTheStart)
{
    startFrom(L'd');
    session.arm(Op::GetDrive, 2);
    session.click("Command1");
    ASSERT_EQ(session.reports().size(), 1u);
    EXPECT_TRUE(session.startedPrograms().empty());
    EXPECT_TRUE(session.messages().empty());
}

// --- the drive list

TEST_F(Chooser, DriveStringIsTheLetterAndAColonForEveryDrive)
{
    for (wchar_t letter = L'a'; letter <= L'z'; ++letter)
        session.mapDrive(letter, tree.folder(std::string(1, static_cast<char>(letter))));
    startFrom(L'a');
    session.click("Command3");
    for (wchar_t letter = L'a'; letter <= L'z'; ++letter) {
        session.chooseDrive("Drive1", letter);
        EXPECT_EQ(session.heldDrive("Drive1"), std::wstring(1, letter) + L":");
    }
}

TEST_F(Chooser, ChoosingTheCdStartsTheWin9xSetupAlsoAfterTheVistaButton)
{
    startFrom(L'c');
    session.click("Command3");
    session.chooseDrive("Drive1", L'd');
    EXPECT_EQ(startedPaths(), (std::vector<std::wstring>{L"d:\\win9\\setup.exe"}));
    expectHints(1);
    expectRevealed(true, true, false);
    EXPECT_TRUE(session.reports().empty());
}

TEST_F(Chooser, ChoosingADriveWithoutTheCdChangesNothing)
{
    startFrom(L'c');
    session.click("Command1");
    session.chooseDrive("Drive1", L'e');
    expectRevealed(true, true, true);
    EXPECT_TRUE(session.startedPrograms().empty());
    expectHints(1);
}

TEST_F(Chooser, EveryChoiceOfTheCdStartsAnotherSetupAndTheSameDriveAgainIsNoChange)
{
    startFrom(L'c');
    session.click("Command1");
    session.chooseDrive("Drive1", L'd');
    session.chooseDrive("Drive1", L'd');
    session.chooseDrive("Drive1", L'e');
    session.chooseDrive("Drive1", L'd');
    EXPECT_EQ(startedPaths(), (std::vector<std::wstring>{L"d:\\win9\\setup.exe", L"d:\\win9\\setup.exe"}));
    expectHints(1);
}

TEST_F(Chooser, ChoosingACdWithoutTheWin9xSetupIsAnError)
{
    fs::remove_all(cd() / "win9");
    startFrom(L'c');
    session.click("Command3");
    session.chooseDrive("Drive1", L'd');
    ASSERT_EQ(session.reports().size(), 1u);
    EXPECT_EQ(session.reports().front().number(), rt::err::kFileNotFound);
    expectHints(1);
}

TEST_F(Chooser, SecondListChangeTestsTheFirstListsDriveAndStartsTheNtSetup)
{
    startFrom(L'd');
    session.raise("Drive2", rt::Event::Change);
    EXPECT_EQ(startedPaths(), (std::vector<std::wstring>{L"d:\\winnt\\setup.exe"}));
    expectRevealed(false, false, false);
    EXPECT_TRUE(session.messages().empty());

    // Drive2 still holds the CD; Drive1, pointed elsewhere, is what counts.
    fs::rename(cd() / "ORVANE.doc", tree.root() / "marker");
    session.click("Command3");
    fs::rename(tree.root() / "marker", cd() / "ORVANE.doc");
    session.chooseDrive("Drive1", L'e');
    session.raise("Drive2", rt::Event::Change);
    EXPECT_EQ(session.startedPrograms().size(), 1u);
    EXPECT_EQ(session.heldDrive("Drive2"), L"d:");
    EXPECT_FALSE(session.isVisible("Drive2"));
}

TEST_F(Chooser, SecondListChangeWithoutTheCdRevealsTheFirstList)
{
    startFrom(L'e');
    session.raise("Drive2", rt::Event::Change);
    expectRevealed(true, true, false);
    EXPECT_TRUE(session.startedPrograms().empty());
    EXPECT_TRUE(session.messages().empty());
}

TEST_F(Chooser, DriveChangeStopsWhereAStepFails)
{
    startFrom(L'c');
    session.click("Command1");
    session.arm(Op::FindFirst, 1);
    session.chooseDrive("Drive1", L'd');
    EXPECT_EQ(session.reports().size(), 1u);
    EXPECT_TRUE(session.startedPrograms().empty());
    expectHints(1);
}

TEST_F(Chooser, DriveChangeThatCannotShowTheListLeavesThePromptHiddenToo)
{
    startFrom(L'e');
    session.arm(Op::LetVisible, 1);
    session.raise("Drive2", rt::Event::Change);
    EXPECT_EQ(session.reports().size(), 1u);
    expectRevealed(false, false, false);
}

}  // namespace
