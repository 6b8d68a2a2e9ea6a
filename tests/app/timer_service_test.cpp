// The main window's timers counted on a manual clock.
#include <gtest/gtest.h>

#include <vector>

#include "app/timer_service.h"
#include "platform/clock.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;

class ClockTimerServiceTest : public ::testing::Test {
  protected:
    ClockTimerServiceTest() {
        timers.setHandler([this](int id) {
            fired.push_back(id);
            if (onFire) onFire(id);
        });
    }

    ManualClock clock;
    ClockTimerService timers{clock};
    std::vector<int> fired;
    std::function<void(int)> onFire;
};

TEST_F(ClockTimerServiceTest, ATimerRepeatsEveryIntervalUntilKilled) {
    ASSERT_TRUE(timers.setTimer(200, 50ms));
    clock.advance(49ms);
    EXPECT_EQ(timers.fireDue(), 0);
    clock.advance(1ms);
    EXPECT_EQ(timers.fireDue(), 1);
    clock.advance(50ms);
    EXPECT_EQ(timers.fireDue(), 1);
    timers.killTimer(200);
    clock.advance(500ms);
    EXPECT_EQ(timers.fireDue(), 0);
    EXPECT_EQ(fired, (std::vector<int>{200, 200}));
    EXPECT_FALSE(timers.isSet(200));
}

TEST_F(ClockTimerServiceTest, ALateTimerFiresOnceAndCountsOnFromThen) {
    timers.setTimer(201, 50ms);
    clock.advance(175ms);
    EXPECT_EQ(timers.fireDue(), 1);
    clock.advance(49ms);
    EXPECT_EQ(timers.fireDue(), 0);
    clock.advance(1ms);
    EXPECT_EQ(timers.fireDue(), 1);
}

TEST_F(ClockTimerServiceTest, DueTimersFireInDeadlineOrder) {
    timers.setTimer(1, 30ms);
    timers.setTimer(2, 10ms);
    timers.setTimer(3, 20ms);
    clock.advance(30ms);
    EXPECT_EQ(timers.fireDue(), 3);
    EXPECT_EQ(fired, (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(timers.nextDeadline(), clock.steadyNow() + 10ms);
}

TEST_F(ClockTimerServiceTest, AHandlerThatKillsOrResetsATimerIsObeyedInTheSamePass) {
    timers.setTimer(200, 10ms);
    timers.setTimer(201, 10ms);
    onFire = [this](int id) {
        if (id != 200) return;
        timers.killTimer(201);       // not fired any more
        timers.setTimer(200, 10ms);  // set anew: waits for its new deadline
    };
    clock.advance(10ms);
    EXPECT_EQ(timers.fireDue(), 1);
    EXPECT_EQ(fired, std::vector<int>{200});
    EXPECT_EQ(timers.fireDue(), 0);
    EXPECT_EQ(timers.interval(200), 10ms);
}

TEST_F(ClockTimerServiceTest, ANonPositiveIntervalMakesNoTimer) {
    EXPECT_FALSE(timers.setTimer(5, 0ms));
    EXPECT_FALSE(timers.isSet(5));
    EXPECT_FALSE(timers.nextDeadline().has_value());
}

}  // namespace
}  // namespace kestrune
