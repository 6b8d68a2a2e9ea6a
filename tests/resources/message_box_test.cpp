#include "resources/message_box.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/scripted_user_interface.h"

namespace kestrune {
namespace {

TEST(ComposeMessage, OneDetailIsAppendedAsItIs) {
    EXPECT_EQ(composeMessage(32860, {": RUNERR.LOG"}), "Cannot open file: RUNERR.LOG");
}

TEST(ComposeMessage, TwoDetailsAreJoinedByACommaAndBlank) {
    EXPECT_EQ(composeMessage(32869, {"TASK1", "PID1"}), "Unconfigured block: TASK1, PID1");
    EXPECT_EQ(composeMessage(32897, {"TASK1", "LOG1"}), "No file name in block\nTASK1, LOG1");
}

TEST(ComposeMessage, NoDetailsIsTheTextAlone) {
    EXPECT_EQ(composeMessage(32928), "Process is still running.");
}

TEST(ComposeMessage, EmptyDetailsStillKeepTheirPlace) {
    EXPECT_EQ(composeMessage(32869, {"", "PID1"}), "Unconfigured block: , PID1");
}

TEST(ComposeMessage, AnIdWithoutTextShowsItsNumber) {
    EXPECT_EQ(composeMessage(1), "ER:1");
    EXPECT_EQ(composeMessage(-7, {"TASK1"}), "ER:-7TASK1");
}

TEST(ComposeMessage, DetailsFromASpan) {
    const std::vector<std::string_view> details{"TASK1", "PID1", "extra"};
    EXPECT_EQ(composeMessage(32869, details), "Unconfigured block: TASK1, PID1, extra");
}

class MessageBoxTest : public ::testing::Test {
  protected:
    ScriptedUserInterface ui;
    void TearDown() override { EXPECT_TRUE(ui.errors().empty()); }
};

TEST_F(MessageBoxTest, ShowsUnderTheProgramCaptionWithTheWarningIcon) {
    showMessageBox(ui, 32869, {"TASK1", "PID1"});
    showMessageText(ui, "Can not launch \"vozido32\"!", MessageIcon::Error);
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Unconfigured block: TASK1, PID1");
    EXPECT_EQ(shown[0].caption, "Kestrune Message");
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(shown[1].caption, "Kestrune Message");
    EXPECT_EQ(shown[1].icon, MessageIcon::Error);
}

TEST_F(MessageBoxTest, QuestionsReturnTheUsersAnswer) {
    ui.answer(Answer::Cancel);
    ui.answer(Answer::Yes);
    ui.answer(Answer::No);
    EXPECT_EQ(askOkCancel(ui, 61454), Answer::Cancel);
    EXPECT_EQ(askYesNo(ui, 32928), Answer::Yes);
    EXPECT_EQ(askYesNoCancel(ui, 32928), Answer::No);
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].kind, ScriptedUserInterface::Kind::OkCancel);
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(shown[1].kind, ScriptedUserInterface::Kind::YesNo);
    EXPECT_EQ(shown[1].icon, MessageIcon::Question);
    EXPECT_EQ(shown[2].kind, ScriptedUserInterface::Kind::YesNoCancel);
}

}  // namespace
}  // namespace kestrune
