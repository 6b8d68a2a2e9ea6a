#include "platform/settings.h"

#include <gtest/gtest.h>

#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::TempDir;

class SettingsTest : public ::testing::Test {
  protected:
    TempDir dir;
    ProfileFile file{dir / "Kestrune.INI"};

    Settings readWith(const std::string& systemSection) {
        TempDir::write(file.path(), "[System]\n" + systemSection);
        return readSettings(file);
    }
};

TEST_F(SettingsTest, DefaultsWhenNothingIsSet) {
    const Settings s = readSettings(file);
    EXPECT_EQ(s.histDaysAgo, 30);
    EXPECT_FALSE(s.singleTaskMode);
    EXPECT_EQ(s.networkPort, 700);
    EXPECT_EQ(s.dispThreadPriority, 0);
    EXPECT_EQ(s.taskScheduleRes, 5);
    EXPECT_FALSE(s.numericKeypad);
    EXPECT_EQ(s.currentKsv, "");
    EXPECT_FALSE(s.changeKsv);
}

TEST_F(SettingsTest, ValuesInRangeAreTaken) {
    const Settings s = readWith(
        "HistDaysAgo=1000\nSingleTaskMode=2\nNetworkPort=8080\nDispThreadPriority=5\nTaskScheduleRes=20\n"
        "NumericKeypad=1\nCurrentKSV=/plant/line1.ksv\nChangeKSV=1\n");
    EXPECT_EQ(s.histDaysAgo, 1000);
    EXPECT_TRUE(s.singleTaskMode);
    EXPECT_EQ(s.networkPort, 8080);
    EXPECT_EQ(s.dispThreadPriority, 5);
    EXPECT_EQ(s.taskScheduleRes, 20);
    EXPECT_TRUE(s.numericKeypad);
    EXPECT_EQ(s.currentKsv, "/plant/line1.ksv");
    EXPECT_TRUE(s.changeKsv);
}

TEST_F(SettingsTest, HistDaysAgoOutOfRangeIsThirty) {
    EXPECT_EQ(readWith("HistDaysAgo=5000\n").histDaysAgo, 30);
    EXPECT_EQ(readWith("HistDaysAgo=1001\n").histDaysAgo, 30);
    EXPECT_EQ(readWith("HistDaysAgo=-3\n").histDaysAgo, 30);
    EXPECT_EQ(readWith("HistDaysAgo=0\n").histDaysAgo, 0);
}

TEST_F(SettingsTest, TaskScheduleResIsClampedToFiveToHundred) {
    EXPECT_EQ(readWith("TaskScheduleRes=3\n").taskScheduleRes, 5);
    EXPECT_EQ(readWith("TaskScheduleRes=2\n").taskScheduleRes, 5);
    EXPECT_EQ(readWith("TaskScheduleRes=0\n").taskScheduleRes, 5);
    EXPECT_EQ(readWith("TaskScheduleRes=-40\n").taskScheduleRes, 5);
    EXPECT_EQ(readWith("TaskScheduleRes=250\n").taskScheduleRes, 100);
    EXPECT_EQ(readWith("TaskScheduleRes=500\n").taskScheduleRes, 100);
    EXPECT_EQ(readWith("TaskScheduleRes=100\n").taskScheduleRes, 100);
}

TEST_F(SettingsTest, DisplayPriorityOutsideZeroToFiveIsIdle) {
    EXPECT_EQ(readWith("DispThreadPriority=7\n").dispThreadPriority, 0);
    EXPECT_EQ(readWith("DispThreadPriority=-1\n").dispThreadPriority, 0);
    EXPECT_EQ(readWith("DispThreadPriority=3\n").dispThreadPriority, 3);
    // Only the first key counts on this platform family.
    EXPECT_EQ(readWith("DispThreadPriority95=4\n").dispThreadPriority, 0);
}

TEST_F(SettingsTest, ANetworkPortThatIsNoPortGivesTheDefault) {
    EXPECT_EQ(readWith("NetworkPort=0\n").networkPort, 700);
    EXPECT_EQ(readWith("NetworkPort=70000\n").networkPort, 700);
    EXPECT_EQ(readWith("NetworkPort=-5\n").networkPort, 700);
    EXPECT_EQ(readWith("NetworkPort=65535\n").networkPort, 65535);
}

TEST_F(SettingsTest, SavingAndOpeningRecordTheCurrentStrategy) {
    TempDir::write(file.path(), "[System]\nTaskScheduleRes=10\n");
    ASSERT_TRUE(writeCurrentStrategy(file, "/plant/line1.ksv", true).ok());
    Settings s = readSettings(file);
    EXPECT_EQ(s.currentKsv, "/plant/line1.ksv");
    EXPECT_TRUE(s.changeKsv);
    EXPECT_EQ(s.taskScheduleRes, 10);

    ASSERT_TRUE(writeCurrentStrategy(file, "/plant/line2.ksv", false).ok());
    s = readSettings(file);
    EXPECT_EQ(s.currentKsv, "/plant/line2.ksv");
    EXPECT_FALSE(s.changeKsv);
    EXPECT_EQ(file.getString("System", "ChangeKSV"), "0");
}

}  // namespace
}  // namespace kestrune
