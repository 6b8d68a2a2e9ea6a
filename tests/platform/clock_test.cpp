#include "platform/clock.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using namespace std::chrono_literals;

TEST(ManualClock, LocalTimeIsTheSetDateInEveryTimeZone) {
    ManualClock clock({}, std::chrono::hours(2));
    clock.setLocalTime(2005, 3, 7, 23, 59, 58);
    const std::tm t = clock.localTime();
    EXPECT_EQ(t.tm_year + 1900, 2005);
    EXPECT_EQ(t.tm_mon + 1, 3);
    EXPECT_EQ(t.tm_mday, 7);
    EXPECT_EQ(t.tm_hour, 23);
    EXPECT_EQ(t.tm_min, 59);
    EXPECT_EQ(t.tm_sec, 58);
    // The offset applies: the wall clock itself is two hours earlier in UTC.
    const auto utc = std::chrono::system_clock::to_time_t(clock.systemNow());
    std::tm u{};
    gmtime_r(&utc, &u);
    EXPECT_EQ(u.tm_hour, 21);
}

TEST(ManualClock, AdvanceMovesBothClocksAcrossMidnight) {
    ManualClock clock;
    clock.setLocalTime(2005, 3, 7, 23, 59, 58);
    const auto steady = clock.steadyNow();
    clock.advance(3s);
    EXPECT_EQ(clock.steadyNow() - steady, 3s);
    const std::tm t = clock.localTime();
    EXPECT_EQ(t.tm_mday, 8);
    EXPECT_EQ(t.tm_hour, 0);
    EXPECT_EQ(t.tm_sec, 1);
}

TEST(ManualClock, SettingTheWallClockLeavesTheSteadyClock) {
    ManualClock clock;
    clock.advance(5s);
    const auto steady = clock.steadyNow();
    clock.setLocalTime(2038, 1, 19, 3, 14, 8);  // past the 32-bit time range
    EXPECT_EQ(clock.steadyNow(), steady);
    EXPECT_EQ(clock.localTime().tm_year + 1900, 2038);
}

}  // namespace
}  // namespace kestrune
