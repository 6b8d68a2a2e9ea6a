#include <gtest/gtest.h>

#include <sstream>

#include "platform/scripted_user_interface.h"
#include "platform/stderr_user_interface.h"

namespace kestrune {
namespace {

using Kind = ScriptedUserInterface::Kind;

TEST(StderrUserInterface, CautiousByDefault) {
    std::ostringstream out;
    StderrUserInterface ui(out);
    EXPECT_EQ(ui.askOkCancel("Save partially configured file.", "Kestrune Message", MessageIcon::Warning),
              Answer::Cancel);
    EXPECT_EQ(ui.askYesNo("Close?", "Kestrune Message", MessageIcon::Question), Answer::No);
    EXPECT_EQ(ui.askYesNoCancel("Save changes?", "Kestrune Message", MessageIcon::Question), Answer::Cancel);
    EXPECT_EQ(ui.chooseFromList("Channel List", {"Output 0", "Output 1"}), std::nullopt);
    EXPECT_EQ(ui.askText("Load File Password", "Enter password:", true), std::nullopt);
    EXPECT_NE(
        out.str().find("Kestrune Message [warning]: Save partially configured file. (OK/Cancel) -> Cancel\n"),
        std::string::npos);
    EXPECT_NE(out.str().find("Channel List: 2 entries -> cancelled\n"), std::string::npos);
}

TEST(StderrUserInterface, AnswersFromItsOptionsAndHidesSecrets) {
    std::ostringstream out;
    StderrUserInterface ui(out, {AutomaticAnswers::Policy::Yes, 1, "s3cret"});
    EXPECT_EQ(ui.askOkCancel("Continue ?", "Kestrune Message", MessageIcon::Warning), Answer::Ok);
    EXPECT_EQ(ui.askYesNo("Close?", "Kestrune Message", MessageIcon::Question), Answer::Yes);
    EXPECT_EQ(ui.askYesNoCancel("Save?", "Kestrune Message", MessageIcon::Question), Answer::Yes);
    EXPECT_EQ(ui.chooseFromList("Channel List", {"Output 0", "Output 1"}), 1);
    EXPECT_EQ(ui.askText("Load File Password", "Enter password:", true), "s3cret");
    EXPECT_EQ(out.str().find("s3cret"), std::string::npos);
    EXPECT_NE(out.str().find("-> 1 (Output 1)"), std::string::npos);
}

TEST(StderrUserInterface, AListChoiceOutsideTheListCancels) {
    std::ostringstream out;
    StderrUserInterface ui(out, {AutomaticAnswers::Policy::Yes, 5, std::nullopt});
    EXPECT_EQ(ui.chooseFromList("Device List", {"only"}), std::nullopt);
    EXPECT_EQ(ui.chooseFromList("Device List", {}), std::nullopt);
}

TEST(StderrUserInterface, PrintsMessagesWithCaptionAndIcon) {
    std::ostringstream out;
    StderrUserInterface ui(out);
    ui.showMessage("Cannot open file: RUNERR.LOG", "Kestrune Message", MessageIcon::Error);
    ui.showMessage("plain", "Error", MessageIcon::None);
    EXPECT_EQ(out.str(), "Kestrune Message [error]: Cannot open file: RUNERR.LOG\nError: plain\n");
}

class ScriptedUserInterfaceTest : public ::testing::Test {
  protected:
    ScriptedUserInterface ui;
};

TEST_F(ScriptedUserInterfaceTest, GivesScriptedAnswersInOrderAndRecordsEverything) {
    ui.answer(Answer::Ok);
    ui.answer(Answer::No);
    ui.choose(2);
    ui.enterText("pw");
    ui.showMessage("hello", "Kestrune Message", MessageIcon::Information);
    EXPECT_EQ(ui.askOkCancel("q1", "Kestrune Message", MessageIcon::Warning), Answer::Ok);
    EXPECT_EQ(ui.askYesNoCancel("q2", "Kestrune Message", MessageIcon::Question), Answer::No);
    EXPECT_EQ(ui.chooseFromList("Channel List", {"a", "b", "c"}), 2);
    EXPECT_EQ(ui.askText("Login", "Password:", true), "pw");
    EXPECT_TRUE(ui.errors().empty());
    EXPECT_EQ(ui.unusedAnswers(), 0u);

    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].kind, Kind::Message);
    EXPECT_EQ(shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(shown[1].kind, Kind::OkCancel);
    EXPECT_EQ(shown[1].text, "q1");
    EXPECT_EQ(shown[1].icon, MessageIcon::Warning);
    EXPECT_EQ(shown[2].kind, Kind::YesNoCancel);
    EXPECT_EQ(shown[3].items.size(), 3u);
    EXPECT_EQ(shown[4].kind, Kind::Text);
    EXPECT_TRUE(shown[4].secret);
    EXPECT_EQ(ui.messages(), std::vector<std::string>{"hello"});
}

TEST_F(ScriptedUserInterfaceTest, AnUnscriptedQuestionIsAnErrorAndGetsTheCautiousAnswer) {
    EXPECT_EQ(ui.askOkCancel("Save partially configured file.", "Kestrune Message", MessageIcon::Warning),
              Answer::Cancel);
    EXPECT_EQ(ui.askYesNo("Exit?", "Kestrune Message", MessageIcon::Question), Answer::No);
    EXPECT_EQ(ui.chooseFromList("Channel List", {"a"}), std::nullopt);
    EXPECT_EQ(ui.askText("Login", "Password:", true), std::nullopt);
    const auto errors = ui.errors();
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_NE(errors[0].find("Save partially configured file."), std::string::npos);
}

TEST_F(ScriptedUserInterfaceTest, AnAnswerOfTheWrongKindIsAnErrorAndUsedUp) {
    ui.answer(Answer::Yes);
    ui.choose(0);
    ui.answer(Answer::Yes);
    EXPECT_EQ(ui.askOkCancel("q1", "c", MessageIcon::Warning), Answer::Cancel);  // Yes is no OK/Cancel answer
    EXPECT_EQ(ui.askYesNo("q2", "c", MessageIcon::Question), Answer::No);        // a list choice does not fit
    EXPECT_EQ(ui.errors().size(), 2u);
    // The answers after the misfits stay in step with their questions.
    EXPECT_EQ(ui.askYesNo("q3", "c", MessageIcon::Question), Answer::Yes);
    EXPECT_EQ(ui.errors().size(), 2u);
    EXPECT_EQ(ui.unusedAnswers(), 0u);
}

TEST_F(ScriptedUserInterfaceTest, ScriptedCancelOfAListOrTextIsNotAnError) {
    ui.choose(std::nullopt);
    ui.enterText(std::nullopt);
    EXPECT_EQ(ui.chooseFromList("Channel List", {"a"}), std::nullopt);
    EXPECT_EQ(ui.askText("Login", "Name:", false), std::nullopt);
    EXPECT_TRUE(ui.errors().empty());
}

TEST_F(ScriptedUserInterfaceTest, AScriptedEntryOutsideTheListIsAnError) {
    ui.choose(3);
    EXPECT_EQ(ui.chooseFromList("Channel List", {"a", "b"}), std::nullopt);
    EXPECT_EQ(ui.errors().size(), 1u);
}

}  // namespace
}  // namespace kestrune
