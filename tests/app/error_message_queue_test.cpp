#include "app/error_message_queue.h"

#include <gtest/gtest.h>

#include "app_fakes.h"
#include "platform/scripted_user_interface.h"

namespace kestrune {
namespace {

using testing_support::countMessages;
using testing_support::takeMessages;

TEST(ErrorMessageQueueTest, TextsAreShownOneByOneOldestFirstAsWarnings) {
    MainQueue queue;
    ErrorMessageQueue errors(queue);
    ScriptedUserInterface ui;
    EXPECT_TRUE(errors.queue("Script error at line 3"));
    EXPECT_TRUE(errors.queue("Cannot start TASK2!"));
    const auto messages = takeMessages(queue);
    EXPECT_EQ(countMessages(messages, kMsgShowNextErrorMessage), 2u);
    for (std::size_t i = 0; i < messages.size(); ++i) EXPECT_TRUE(errors.showNext(ui));
    EXPECT_FALSE(errors.showNext(ui));  // no blank box for a stray message
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Script error at line 3");
    EXPECT_EQ(shown[0].caption, "Kestrune Message");
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(shown[1].text, "Cannot start TASK2!");
}

TEST(ErrorMessageQueueTest, TheFiftyFirstTextIsLostAndPostsNothing) {
    MainQueue queue;
    ErrorMessageQueue errors(queue);
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(errors.queue("e" + std::to_string(i)));
    EXPECT_FALSE(errors.queue("lost"));
    EXPECT_EQ(queue.size(), 50u);
    EXPECT_EQ(errors.pending(), 50u);
}

}  // namespace
}  // namespace kestrune
