#include "app/run_error_report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "app/disk_space.h"
#include "app/run_error_log.h"
#include "app_fakes.h"
#include "components/driver/device_list_driver.h"
#include "components/driver/driver_codes.h"
#include "components/driver/sim_clock.h"
#include "components/driver/standard_device_types.h"
#include "components/opc/opc_codes.h"
#include "components/tagdb/tagdb_codes.h"
#include "platform/clock.h"
#include "platform/system_error_code.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::CountingBeeper;
using testing_support::countMessages;
using testing_support::FakeOpcClient;
using testing_support::RecordingPanes;
using testing_support::takeMessages;
using testing_support::TempDir;

class RunErrorReportTest : public ::testing::Test {
  protected:
    RunErrorReportTest() {
        clock_.setLocalTime(2005, 3, 7, 10, 0, 0);
        report_.setDriver(&driver_);
        report_.setOpcClient(&opc_);
        report_.setStatusPanes(&panes_);
        report_.setBeeper(&beeper_);
        source_.taskName = "TASK1";
        source_.blockName = "AI1";
        source_.caption = "Analog Input";
    }

    void startRun(RunErrorPreferences preferences) {
        ASSERT_TRUE(log_.start(dir_.path().string(), preferences.logErrors).ok());
        report_.start(preferences, dir_.path().string());
    }

    TempDir dir_;
    MainQueue queue_;
    ManualClock clock_;
    DeviceListDriver driver_{dir_ / "devices.txt", standardDeviceTypes(std::make_shared<SteadySimClock>())};
    FakeOpcClient opc_;
    RecordingPanes panes_;
    CountingBeeper beeper_;
    RunErrorLog log_{queue_, clock_};
    RunErrorReport report_{queue_, log_};
    RunErrorSource source_;
};

TEST_F(RunErrorReportTest, CodeZeroIsIgnored) {
    startRun({});
    report_.report(0, source_);
    EXPECT_EQ(report_.errorCount(), 0);
    EXPECT_TRUE(panes_.panes.empty());
}

TEST_F(RunErrorReportTest, DataOverrunsCountThemselvesFirst) {
    startRun({});
    EXPECT_EQ(report_.textFor(12, source_), "Data Overrun:1");
    EXPECT_EQ(report_.textFor(12, source_), "Data Overrun:2");
    EXPECT_EQ(report_.dataOverrunCount(), 2);
}

TEST_F(RunErrorReportTest, BadQualityOfAnItemTakesTheClientsQualityTextAndCountsAnOverrun) {
    startRun({});
    source_.opcItem = FakeOpcClient::kItem;
    EXPECT_EQ(report_.textFor(15, source_), opc_.qualityText);
    EXPECT_EQ(report_.dataOverrunCount(), 1);
    // Without an item the code is just a number for the components.
    source_.opcItem = 0;
    std::string expected;
    opc_.getErrorMessage(15, expected);
    EXPECT_EQ(report_.textFor(15, source_), expected);
}

TEST_F(RunErrorReportTest, TimerOverrunNamesTheTask) {
    startRun({});
    EXPECT_EQ(report_.textFor(34207, source_), "TASK1Timer Overrun, slow down the sampling rate.");
}

TEST_F(RunErrorReportTest, DivisionByZeroNamesTaskAndBlock) {
    startRun({});
    source_.blockName = "CALC1";
    EXPECT_EQ(report_.textFor(34254, source_), "Division by zero cannot be handled at TASK1 : CALC1");
}

TEST_F(RunErrorReportTest, LowDiskSpaceNamesTheDiskAndTheBound) {
    startRun({});
    const std::string root = fileSystemRoot(dir_.path().string());
    const std::string expected = "The hard disk (" + root +
                                 ") free space is below the setting low bound:524288 bytes! Please free more "
                                 "disk space.";
    EXPECT_EQ(report_.textFor(34257, source_), expected);
    report_.reportLowDiskSpace(1000);
    EXPECT_NE(panes_.panes[0].find("low bound:1000 bytes!"), std::string::npos);
}

TEST_F(RunErrorReportTest, ProgramMessagesComeFromTheStringTable) {
    startRun({});
    EXPECT_EQ(report_.textFor(32866, source_), "Input undefined.");
    EXPECT_EQ(report_.textFor(45678, source_), "ER:45678");
}

TEST_F(RunErrorReportTest, EveryCodeClassOfTheProgramHasAText) {
    startRun({});
    struct Case {
        Code code;
        std::string text;
    };
    const Case cases[] = {
        {32860, "Cannot open file"},
        {kTagUnknownTask, "Unknown task"},
        {kHoldFileCorrupt, "The hold file is damaged"},
        {kHoldFileWrite, "The retained values were not saved"},
        {systemErrorCode(ENOSPC), std::strerror(ENOSPC)},
        {systemErrorCode(EACCES), std::strerror(EACCES)},
    };
    for (const Case& c : cases) EXPECT_EQ(report_.textFor(c.code, source_), c.text) << c.code;
    // Every code of the tag database's family, none left as a bare number.
    for (Code code = kTagUnknownTask; code <= kHoldFileWrite; ++code) {
        const std::string text = report_.textFor(code, source_);
        EXPECT_EQ(text.rfind("ER:", 0), std::string::npos) << code << ": " << text;
    }
    EXPECT_TRUE(isSystemErrorCode(systemErrorCode(EIO)));
    EXPECT_EQ(systemErrorNumber(systemErrorCode(EIO)), EIO);
    EXPECT_FALSE(isSystemErrorCode(kHoldFileWrite));
}

TEST_F(RunErrorReportTest, DriverCodesTakeTheDriversTextForTheDevice) {
    startRun({});
    source_.deviceNumber = 0;
    const Code full = driverCode(DriverError::InvalidChannel);
    const std::string text = report_.textFor(full, source_);
    EXPECT_EQ(text, "Simulated multifunction board: " + driverErrorText(full));
    // A scan hands its code on masked to 12 bits; the driver still knows it.
    EXPECT_EQ(report_.textFor(full & kDriverCodeMask, source_), text);
}

TEST_F(RunErrorReportTest, OtherCodesTakeTheOpcClientsText) {
    startRun({});
    const Code code = opcCode(OpcError::ItemNotFound);
    EXPECT_EQ(report_.textFor(code, source_), opcErrorText(code));
}

TEST_F(RunErrorReportTest, WithoutComponentsACodeShowsItsNumber) {
    RunErrorReport bare(queue_, log_);
    EXPECT_EQ(bare.textFor(70000, source_), "ER:70000");
}

TEST_F(RunErrorReportTest, AReportShowsTheTextAndTheCount) {
    startRun({});
    report_.report(32866, source_);
    report_.report(32866, source_);
    EXPECT_EQ(panes_.panes[0], "Input undefined.");
    EXPECT_EQ(panes_.panes[1], "Error Count:2");
    EXPECT_EQ(beeper_.beeps, 0);
    EXPECT_EQ(queue_.size(), 0u);  // not logged, no limit
}

TEST_F(RunErrorReportTest, BeepingAndLoggingFollowThePreferences) {
    startRun({.beepOnError = true, .logErrors = true});
    report_.report(32866, source_);
    EXPECT_EQ(beeper_.beeps, 1);
    const auto messages = takeMessages(queue_);
    EXPECT_EQ(countMessages(messages, kMsgWriteRunError), 1u);
    ASSERT_TRUE(log_.writeNext().ok());
    ASSERT_TRUE(log_.stop().ok());
    EXPECT_EQ(TempDir::read(dir_ / "RUNERR.LOG"), "03/07/05 10:00:00 Input undefined.\r\n");
}

TEST_F(RunErrorReportTest, TheFourthErrorPassesALimitOfThree) {
    startRun({.errorLimit = 3});
    for (int i = 0; i < 3; ++i) report_.report(32866, source_);
    EXPECT_EQ(countMessages(takeMessages(queue_), kMsgErrorLimitReached), 0u);
    report_.report(32866, source_);
    EXPECT_EQ(countMessages(takeMessages(queue_), kMsgErrorLimitReached), 1u);
    EXPECT_EQ(report_.errorCount(), 4);
}

TEST_F(RunErrorReportTest, ALimitOfZeroNeverStopsTheRun) {
    startRun({.errorLimit = 0});
    for (int i = 0; i < 200; ++i) report_.report(32866, source_);
    EXPECT_EQ(countMessages(takeMessages(queue_), kMsgErrorLimitReached), 0u);
}

TEST_F(RunErrorReportTest, StartResetsTheErrorCountButNotTheOverruns) {
    startRun({.errorLimit = 1});
    report_.report(12, source_);
    report_.report(12, source_);
    takeMessages(queue_);
    startRun({.errorLimit = 1});
    EXPECT_EQ(report_.errorCount(), 0);
    report_.report(12, source_);
    EXPECT_EQ(countMessages(takeMessages(queue_), kMsgErrorLimitReached), 0u);
    EXPECT_EQ(panes_.panes[0], "Data Overrun:3");
}

TEST_F(RunErrorReportTest, AnnouncedNetworkEventsAreNotCounted) {
    startRun({.beepOnError = true});
    report_.announce("Connected to station");
    EXPECT_EQ(panes_.panes[0], "Connected to station");
    EXPECT_EQ(beeper_.beeps, 1);
    EXPECT_EQ(report_.errorCount(), 0);
    report_.reportText("Remote tag missing");
    EXPECT_EQ(report_.errorCount(), 1);
}

}  // namespace
}  // namespace kestrune
