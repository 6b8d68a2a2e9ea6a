// The main window's report messages as run control handles them: run
// errors naming a node (or a node that is gone), text reports from other
// threads, network notices, and what the observer is told.
#include <gtest/gtest.h>

#include <thread>

#include "app/event_log_observer.h"
#include "app/network_notice.h"
#include "engine/main_window_commands.h"
#include "app/run_error_report.h"
#include "app/status_bar_state.h"
#include "resources/message_ids.h"
#include "run_fixture.h"

namespace kestrune::testing_support {
namespace {

class RecordingObserver final : public RunObserver {
  public:
    void runStateChanged() override { ++stateChanges; }
    void runErrorReported(std::string_view text) override { errors.emplace_back(text); }
    int stateChanges = 0;
    std::vector<std::string> errors;
};

// A front end that watches both run control and the event log.
class FrontEnd final : public RunObserver, public EventLogObserver {
  public:
    void runStateChanged() override { ++stateChanges; }
    void runErrorReported(std::string_view text) override { errors.emplace_back(text); }
    void eventLineAdded(std::size_t, std::string_view line) override {
        std::lock_guard lock(mutex);
        events.emplace_back(line);
    }
    void eventLineChanged(std::size_t, std::string_view) override {}
    void eventLinesReplaced(const std::vector<std::string>&) override {}

    int stateChanges = 0;
    std::vector<std::string> errors;
    std::mutex mutex;
    std::vector<std::string> events;
};

class Station final : public NetworkNoticeSubject {
  public:
    std::string remoteNodeName() const override { return "LINE2"; }
    std::string remoteTaskName() const override { return "TASK3"; }
    std::string remoteTagName() const override { return "FLOW"; }
};

class RunReportsTest : public RunFixture {
  protected:
    RunReportsTest() : probe(addProbe()) {
        control().addObserver(observer);
        EXPECT_EQ(control().start(), kOk);
    }
    ~RunReportsTest() override { control().removeObserver(observer); }

    void post(MessageId id, std::uint64_t w, std::int64_t l) {
        app->mainQueue().post(id, w, l);
        drain();
    }

    ProbeBlock& probe;
    RecordingObserver observer;
};

TEST_F(RunReportsTest, ARunErrorNamesTheTaskAndBlockThatReportedIt) {
    post(kMsgRunErrorReport, kMsgDivisionByZero, toParam(static_cast<const Node*>(&probe)));
    const std::string expected = "Division by zero cannot be handled at TASK1 : " + probe.name();
    EXPECT_EQ(app->statusBar().text(0), expected);
    EXPECT_EQ(app->statusBar().text(1), "Error Count:1");
    EXPECT_EQ(observer.errors, std::vector<std::string>{expected});
}

TEST_F(RunReportsTest, ATimerOverrunNamesTheTask) {
    post(kMsgRunErrorReport, kMsgTimerOverrun, toParam(task().messageObject()));
    EXPECT_EQ(app->statusBar().text(0), "TASK1Timer Overrun, slow down the sampling rate.");
}

TEST_F(RunReportsTest, AnAddressThatIsNoNodeOfTheStrategyIsNeverFollowed) {
    int notANode = 0;
    post(kMsgRunErrorReport, kMsgDivisionByZero, toParam(&notANode));
    EXPECT_EQ(app->statusBar().text(0), "Division by zero cannot be handled at  : ");
    EXPECT_EQ(control().errorCount(), 1);
}

TEST_F(RunReportsTest, CodeZeroIsIgnoredAndLowDiskSpaceCarriesItsBound) {
    post(kMsgRunErrorReport, 0, toParam(static_cast<const Node*>(&probe)));
    EXPECT_EQ(control().errorCount(), 0);
    EXPECT_TRUE(observer.errors.empty());

    post(kMsgRunErrorReport, kMsgDiskSpaceLow, 4096);
    EXPECT_NE(app->statusBar().text(0).find("low bound:4096 bytes"), std::string::npos);
    EXPECT_EQ(control().errorCount(), 1);
}

TEST_F(RunReportsTest, DataOverrunsAreCountedAcrossReports) {
    post(kMsgRunErrorReport, kRunErrorDataOverrun, 0);
    post(kMsgRunErrorReport, kRunErrorDataOverrun, 0);
    EXPECT_EQ(app->statusBar().text(0), "Data Overrun:2");
    EXPECT_EQ(control().dataOverrunCount(), 2);
}

TEST_F(RunReportsTest, TextsFromOtherThreadsAreReportedOnTheMainThread) {
    std::thread worker([this] { control().reportText("TASK9 can not be stopped"); });
    worker.join();
    EXPECT_TRUE(observer.errors.empty()) << "nothing is reported off the main thread";
    drain();
    EXPECT_EQ(observer.errors, std::vector<std::string>{"TASK9 can not be stopped"});
    EXPECT_EQ(control().errorCount(), 1);

    control().reportRunErrorText("Invalid parameter(s) : TASK1, AI1");
    EXPECT_EQ(control().errorCount(), 2) << "on the main thread the report is immediate";
}

TEST_F(RunReportsTest, StationConnectionsGoToTheEventLogWithoutCounting) {
    Station station;
    post(kMsgNetworkNotification, 32993, toParam(&station));
    EXPECT_EQ(app->statusBar().text(0), "Connecting to the station (server): LINE2");
    EXPECT_EQ(control().errorCount(), 0);
    const auto lines = app->eventLog().lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("Connecting to the station (server): LINE2 at ", 0), 0u) << lines.back();
}

TEST_F(RunReportsTest, RemoteTagNoticesNameBothRemoteNamesAndCount) {
    Station station;
    post(kMsgNetworkNotification, kMsgRemoteTagMissing, toParam(&station));
    EXPECT_EQ(app->statusBar().text(0), "The name of remote tag doesn't exist at TASK3, FLOW");
    EXPECT_EQ(control().errorCount(), 1);
    post(kMsgNetworkNotification, 32990, 0);
    EXPECT_EQ(app->statusBar().text(0), "Listening error or no network card (server)");
    EXPECT_EQ(control().errorCount(), 2);
}

TEST_F(RunReportsTest, ASocketShutdownWritesOnlyTheStopEvent) {
    const std::size_t before = app->eventLog().lineCount();
    post(kMsgNetworkNotification, kMsgWinsockTerminates, 0);
    EXPECT_EQ(app->eventLog().lineCount(), before + 1);
    EXPECT_NE(app->eventLog().lines().back().find("Strategy plant.ksv stopped at "), std::string::npos);
    EXPECT_EQ(control().errorCount(), 0);
    EXPECT_TRUE(control().running());
}

TEST_F(RunReportsTest, TheObserverHearsOfEveryStateChange) {
    const int before = observer.stateChanges;
    control().pause();
    control().resume();
    control().stop();
    ASSERT_TRUE(stopCompletes());
    EXPECT_EQ(observer.stateChanges - before, 4);  // paused, resumed, stopping, stopped
}

TEST_F(RunReportsTest, TwoFrontEndsWatchTheSameRunAndOneMayLeaveMidRun) {
    FrontEnd desktop, headless;
    for (FrontEnd* f : {&desktop, &headless}) {
        control().addObserver(*f);
        app->eventLog().addObserver(*f);
    }
    post(kMsgRunErrorReport, kMsgDivisionByZero, toParam(static_cast<const Node*>(&probe)));
    control().pause();
    app->eventLog().addEvent(EventKind::StrategyStarted, "second.ksv");
    EXPECT_EQ(desktop.errors, observer.errors);
    EXPECT_EQ(headless.errors, observer.errors);
    EXPECT_EQ(desktop.stateChanges, 1);
    EXPECT_EQ(headless.stateChanges, 1);
    EXPECT_EQ(desktop.events.size(), 1u);
    EXPECT_EQ(headless.events, desktop.events);

    control().removeObserver(headless);
    app->eventLog().removeObserver(headless);
    control().resume();
    control().stop();
    ASSERT_TRUE(stopCompletes());
    EXPECT_EQ(desktop.stateChanges, 4);  // paused, resumed, stopping, stopped
    EXPECT_EQ(headless.stateChanges, 1);
    EXPECT_EQ(desktop.events.size(), 2u) << "the stop event";
    EXPECT_EQ(headless.events.size(), 1u);
    control().removeObserver(desktop);
    app->eventLog().removeObserver(desktop);
}

TEST_F(RunReportsTest, RunControlRefusesByTheCommandTable) {
    EXPECT_FALSE(control().commandEnabled(kCmdStart));
    EXPECT_EQ(control().commandState().running, true);
    post(kMsgCommand, kCmdStart, 0);
    EXPECT_TRUE(control().running());
    post(kMsgCommand, kCmdResume, 0);
    EXPECT_FALSE(control().paused());
    post(kMsgCommand, kCmdPause, 0);
    EXPECT_TRUE(control().paused());
    EXPECT_TRUE(control().commandEnabled(kCmdResume));
    EXPECT_FALSE(control().commandEnabled(kCmdPause));
}

}  // namespace
}  // namespace kestrune::testing_support
