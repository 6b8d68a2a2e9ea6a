#include "app/event_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/event_log_files.h"
#include "app/event_log_observer.h"
#include "app/status_text.h"
#include "app_fakes.h"
#include "platform/clock.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::countMessages;
using testing_support::FakePrinter;
using testing_support::PrinterRecord;
using testing_support::takeMessages;
using testing_support::TempDir;

class EventLogTest : public ::testing::Test {
  protected:
    EventLogTest() {
        clock_.setLocalTime(2005, 3, 7, 10, 0, 0);
        log_.setPrinter(std::make_unique<FakePrinter>(printed_));
        log_.setEnabled(true);
    }

    std::string working() const { return (dir_ / "Kestrune.ELF").string(); }
    std::string history() const { return (dir_ / "Kestrune.ELH").string(); }
    void openLog() { ASSERT_TRUE(log_.open(dir_.path().string()).ok()); }
    // What the main thread does with the messages the log posted.
    void handleMessages() {
        for (const MainMessage& m : takeMessages(queue_)) {
            if (m.id == kMsgWriteEventLines) {
                EXPECT_TRUE(log_.writePendingLines().ok());
            } else if (m.id == kMsgPrintEventLines) {
                log_.printPendingLines();
            }
        }
    }

    TempDir dir_;
    MainQueue queue_;
    ManualClock clock_;
    PrinterRecord printed_;
    CEventLog log_{queue_, clock_};
};

TEST_F(EventLogTest, EveryKindHasItsText) {
    const std::vector<std::pair<EventKind, std::string>> expected = {
        {EventKind::Login, "User ann login at 10:00:00 03/07/2005"},
        {EventKind::Logout, "User ann logout at 10:00:00 03/07/2005"},
        {EventKind::StrategyStarted, "Strategy plant started at 10:00:00 03/07/2005"},
        {EventKind::StrategyStopped, "Strategy plant stopped at 10:00:00 03/07/2005"},
        {EventKind::Alarm, "Tank high"},
        {EventKind::Acknowledgement, "-Tank high acknowledged 10:00:00"},
        {EventKind::Note, "Pump changed at 10:00:00 03/07/2005"},
        {EventKind::Lock, "User ann lock at 10:00:00 03/07/2005"},
        {EventKind::Unlock, "User ann unlock at 10:00:00 03/07/2005"},
    };
    const std::map<EventKind, std::string> subjects = {
        {EventKind::StrategyStarted, "plant"}, {EventKind::StrategyStopped, "plant"},
        {EventKind::Alarm, "Tank high"},       {EventKind::Acknowledgement, "-Tank high"},
        {EventKind::Note, "Pump changed"},
    };
    std::tm when = clock_.localTime();
    for (const auto& [kind, text] : expected) {
        const auto s = subjects.find(kind);
        EXPECT_EQ(eventText(kind, s == subjects.end() ? "ann" : s->second, when), text);
    }
}

TEST_F(EventLogTest, DatesAreMonthDayYearWithLeadingZeros) {
    clock_.setLocalTime(2009, 1, 2, 3, 4, 5);
    EXPECT_EQ(eventText(EventKind::Login, "u", clock_.localTime()), "User u login at 03:04:05 01/02/2009");
}

TEST_F(EventLogTest, TimesAfter2038KeepTheirRealDate) {
    clock_.setLocalTime(2040, 6, 1, 12, 0, 0);
    EXPECT_EQ(eventText(EventKind::Note, "n", clock_.localTime()), "n at 12:00:00 06/01/2040");
}

TEST_F(EventLogTest, AddedEventsAreListedSelectedAndWrittenWithLineEnds) {
    openLog();
    ASSERT_TRUE(log_.addEvent(EventKind::Login, "ann").ok());
    ASSERT_TRUE(log_.addEvent(EventKind::Alarm, "Tank high").ok());
    EXPECT_EQ(log_.lines(),
              (std::vector<std::string>{"User ann login at 10:00:00 03/07/2005", "*Tank high"}));
    EXPECT_EQ(log_.selection(), 1u);
    EXPECT_EQ(TempDir::read(working()), "");  // nothing touches the file before the main thread
    handleMessages();
    // The file has the alarm's text without its mark.
    EXPECT_EQ(TempDir::read(working()), "User ann login at 10:00:00 03/07/2005\r\nTank high\r\n");
}

TEST_F(EventLogTest, EachQueuedLinePostsOneWriteMessage) {
    openLog();
    log_.addEvent(EventKind::Note, "a");
    log_.addEvent(EventKind::Note, "b");
    const auto messages = takeMessages(queue_);
    EXPECT_EQ(countMessages(messages, kMsgWriteEventLines), 2u);
    EXPECT_EQ(countMessages(messages, kMsgPrintEventLines), 0u);
}

TEST_F(EventLogTest, TextsAreCutTo119Characters) {
    openLog();
    log_.addEvent(EventKind::Alarm, std::string(300, 'A'));
    log_.addEvent(EventKind::Note, std::string(300, 'N'));
    const auto lines = log_.lines();
    EXPECT_EQ(lines[0], "*" + std::string(119, 'A'));
    EXPECT_EQ(lines[1], std::string(119, 'N'));
    handleMessages();
    EXPECT_EQ(TempDir::read(working()), std::string(119, 'A') + "\r\n" + std::string(119, 'N') + "\r\n");
}

TEST_F(EventLogTest, LineBreaksInsideASubjectCannotSplitTheFileLine) {
    openLog();
    log_.addEvent(EventKind::Alarm, "two\r\nlines");
    handleMessages();
    EXPECT_EQ(TempDir::read(working()), "two  lines\r\n");
}

TEST_F(EventLogTest, ADisabledLogDoesNothing) {
    openLog();
    log_.setEnabled(false);
    EXPECT_TRUE(log_.addEvent(EventKind::Login, "ann").ok());
    EXPECT_EQ(log_.lineCount(), 0u);
    EXPECT_EQ(queue_.size(), 0u);
    EXPECT_FALSE(log_.loggedIn());
}

TEST_F(EventLogTest, AKindOutsideOneToNineIsRefused) {
    openLog();
    EXPECT_EQ(log_.addEvent(0, "x").code, 32874);
    EXPECT_EQ(log_.addEvent(10, "x").code, 32874);
    EXPECT_EQ(log_.lineCount(), 0u);
    EXPECT_TRUE(log_.addEvent(7, "x").ok());
}

TEST_F(EventLogTest, LoginStateFollowsTheLastLoginLogoutLockOrStart) {
    openLog();
    log_.addEvent(EventKind::Login, "ann");
    EXPECT_TRUE(log_.loggedIn());
    log_.addEvent(EventKind::Note, "n");
    EXPECT_TRUE(log_.loggedIn());
    log_.addEvent(EventKind::Logout, "ann");
    EXPECT_FALSE(log_.loggedIn());
    log_.addEvent(EventKind::Lock, "ann");
    EXPECT_TRUE(log_.loggedIn());
    log_.addEvent(EventKind::Unlock, "ann");
    EXPECT_FALSE(log_.loggedIn());
    log_.addEvent(EventKind::StrategyStarted, "plant");
    EXPECT_TRUE(log_.loggedIn());
    log_.addEvent(EventKind::StrategyStopped, "plant");
    EXPECT_TRUE(log_.loggedIn());
}

TEST_F(EventLogTest, AcknowledgingAnAlarmMarksItAndAddsTheAcknowledgement) {
    openLog();
    log_.addEvent(EventKind::Alarm, "Tank high");
    clock_.advance(std::chrono::seconds(5));
    EXPECT_TRUE(log_.acknowledgeSelected());
    EXPECT_EQ(log_.lines(), (std::vector<std::string>{"-Tank high", "-Tank high acknowledged 10:00:05"}));
    EXPECT_EQ(log_.selection(), 1u);
}

TEST_F(EventLogTest, AcknowledgingALineWithoutTheMarkAddsNothing) {
    openLog();
    log_.addEvent(EventKind::Login, "ann");
    takeMessages(queue_);
    EXPECT_FALSE(log_.acknowledgeSelected());
    EXPECT_EQ(log_.lineCount(), 1u);
    EXPECT_EQ(queue_.size(), 0u);
    // An acknowledged alarm is not acknowledged twice.
    log_.addEvent(EventKind::Alarm, "Tank high");
    ASSERT_TRUE(log_.acknowledgeLine(1));
    EXPECT_FALSE(log_.acknowledgeLine(1));
    EXPECT_EQ(log_.lineCount(), 3u);
}

TEST_F(EventLogTest, AcknowledgingByIndexSelectsThatLine) {
    openLog();
    log_.addEvent(EventKind::Alarm, "first");
    log_.addEvent(EventKind::Alarm, "second");
    EXPECT_TRUE(log_.acknowledgeLine(0));
    EXPECT_EQ(log_.line(0), "-first");
    EXPECT_EQ(log_.line(1), "*second");
    EXPECT_FALSE(log_.acknowledgeLine(99));
    log_.select(1);
    EXPECT_TRUE(log_.acknowledgeSelected());
    EXPECT_EQ(log_.line(1), "-second");
}

TEST_F(EventLogTest, AllEventsPrintingPrintsEveryLineAsOneRawJob) {
    openLog();
    log_.setPrintMode(EventPrintMode::AllEvents);
    log_.addEvent(EventKind::Login, "ann");
    log_.addEvent(EventKind::Alarm, "Tank high");
    handleMessages();
    ASSERT_EQ(printed_.jobs.size(), 1u);
    EXPECT_EQ(printed_.jobs[0].documentName, "My Document");
    EXPECT_EQ(printed_.jobs[0].data, "User ann login at 10:00:00 03/07/2005\r\nTank high\r\n");
}

TEST_F(EventLogTest, AlarmOnlyPrintingSkipsLoginsButPrintsAlarmsAndAcknowledgements) {
    openLog();
    log_.setPrintMode(eventPrintModeFrom(2));
    log_.addEvent(EventKind::Login, "ann");
    log_.addEvent(EventKind::Alarm, "Tank high");
    log_.acknowledgeSelected();
    log_.addEvent(EventKind::Note, "note");
    handleMessages();
    ASSERT_EQ(printed_.jobs.size(), 1u);
    EXPECT_EQ(printed_.jobs[0].data, "Tank high\r\n-Tank high acknowledged 10:00:00\r\n");
}

TEST_F(EventLogTest, NoPrintingPrintsNothingAndStoredValuesAboveTwoMeanNone) {
    EXPECT_EQ(eventPrintModeFrom(3), EventPrintMode::None);
    openLog();
    log_.setPrintMode(eventPrintModeFrom(7));
    log_.addEvent(EventKind::Alarm, "Tank high");
    handleMessages();
    EXPECT_TRUE(printed_.jobs.empty());
}

TEST_F(EventLogTest, APrinterFailureIsReturnedAndTheLinesAreNotPrintedTwice) {
    openLog();
    printed_.result = Status{kMsgGenericError, "no printer"};
    log_.setPrintMode(EventPrintMode::AllEvents);
    log_.addEvent(EventKind::Alarm, "Tank high");
    EXPECT_EQ(log_.checkPrinter().code, kMsgGenericError);
    EXPECT_EQ(log_.printPendingLines().code, kMsgGenericError);
    EXPECT_TRUE(log_.printPendingLines().ok());
    EXPECT_EQ(printed_.jobs.size(), 1u);
}

TEST_F(EventLogTest, TheFiftyFirstLineBeforeTheMainThreadRunsIsLostFromTheFileOnly) {
    openLog();
    for (int i = 0; i < 51; ++i) log_.addEvent(EventKind::Note, std::to_string(i));
    EXPECT_EQ(countMessages(takeMessages(queue_), kMsgWriteEventLines), 50u);
    EXPECT_TRUE(log_.writePendingLines().ok());
    std::vector<std::string> written;
    ASSERT_TRUE(readEventLines(working(), written).ok());
    EXPECT_EQ(written.size(), 50u);
    EXPECT_EQ(written.back(), "49 at 10:00:00 03/07/2005");
    EXPECT_EQ(log_.lineCount(), 51u);
}

TEST_F(EventLogTest, OpeningLoadsTheWorkingFileAndSelectsTheLastLine) {
    TempDir::write(working(), "first\r\n*alarm\r\n" + std::string(130, 'z') + "\r\n");
    openLog();
    EXPECT_EQ(log_.lines(), (std::vector<std::string>{"first", "*alarm", std::string(120, 'z')}));
    EXPECT_EQ(log_.selection(), 2u);
    // A loaded alarm can be acknowledged like a new one.
    EXPECT_TRUE(log_.acknowledgeLine(1));
}

TEST_F(EventLogTest, OpeningWithOneHundredFiftyLinesRollsTheOldestHundredOver) {
    std::string text;
    for (int i = 1; i <= 150; ++i) text += "event " + std::to_string(i) + "\r\n";
    TempDir::write(working(), text);
    openLog();
    EXPECT_EQ(log_.lineCount(), 150u);
    std::vector<std::string> moved, kept;
    ASSERT_TRUE(readEventLines(history(), moved).ok());
    ASSERT_TRUE(readEventLines(working(), kept).ok());
    ASSERT_EQ(moved.size(), 100u);
    ASSERT_EQ(kept.size(), 50u);
    EXPECT_EQ(moved.front(), "event 1");
    EXPECT_EQ(kept.front(), "event 101");
    // New lines go after the fifty that stayed.
    log_.addEvent(EventKind::Note, "new");
    handleMessages();
    ASSERT_TRUE(readEventLines(working(), kept).ok());
    EXPECT_EQ(kept.size(), 51u);
    EXPECT_EQ(kept.back(), "new at 10:00:00 03/07/2005");
}

TEST_F(EventLogTest, AMissingDirectoryGivesCannotOpenFileWithTheNameAndNoCrash) {
    const std::string missing = (dir_ / "no" / "such").string();
    const Status s = log_.open(missing);
    EXPECT_EQ(s.code, 32860);
    EXPECT_EQ(s.context, missing + "/Kestrune.ELF");
    EXPECT_EQ(statusText(s), "Cannot open file: " + missing + "/Kestrune.ELF");
    // The log goes on listing events; the file write reports the same failure.
    EXPECT_TRUE(log_.addEvent(EventKind::Note, "still listed").ok());
    EXPECT_EQ(log_.lineCount(), 1u);
    EXPECT_EQ(log_.writePendingLines().code, 32860);
}

TEST_F(EventLogTest, AnUnwritableHistoryNamesTheHistoryFile) {
    std::string text;
    for (int i = 0; i < 101; ++i) text += "x\r\n";
    TempDir::write(working(), text);
    std::filesystem::create_directory(history());
    const Status s = log_.open(dir_.path().string());
    EXPECT_EQ(s.code, 32860);
    EXPECT_EQ(s.context, history());
    // The working file is open all the same and has lost nothing.
    log_.addEvent(EventKind::Note, "n");
    handleMessages();
    std::vector<std::string> kept;
    ASSERT_TRUE(readEventLines(working(), kept).ok());
    EXPECT_EQ(kept.size(), 102u);
}

TEST_F(EventLogTest, NoDirectoryMeansTheWorkingDirectory) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    const Status s = log_.open("");
    log_.addEvent(EventKind::Note, "here");
    handleMessages();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(log_.workingFilePath(), "Kestrune.ELF");
    EXPECT_TRUE(std::filesystem::exists(working()));
}

TEST_F(EventLogTest, TheWorkingFileIsMadeByTheFirstLineNotByOpening) {
    openLog();
    EXPECT_FALSE(std::filesystem::exists(working()));
    log_.setEnabled(false);
    log_.addEvent(EventKind::Note, "not logged");
    handleMessages();
    EXPECT_FALSE(std::filesystem::exists(working()));
    log_.setEnabled(true);
    log_.addEvent(EventKind::Note, "first");
    handleMessages();
    EXPECT_EQ(TempDir::read(working()), "first at 10:00:00 03/07/2005\r\n");
}

class RecordingObserver final : public EventLogObserver {
  public:
    void eventLineAdded(std::size_t index, std::string_view line) override {
        calls.push_back("add " + std::to_string(index) + " " + std::string(line));
    }
    void eventLineChanged(std::size_t index, std::string_view line) override {
        calls.push_back("change " + std::to_string(index) + " " + std::string(line));
    }
    void eventLinesReplaced(const std::vector<std::string>& lines) override {
        calls.push_back("replace " + std::to_string(lines.size()));
    }
    std::vector<std::string> calls;
};

TEST_F(EventLogTest, ObserversAreFilledOnAttachAndToldOfEveryChange) {
    openLog();
    log_.addEvent(EventKind::Alarm, "before");
    RecordingObserver item;
    EXPECT_EQ(log_.addObserver(item), (std::vector<std::string>{"*before"}));
    log_.addEvent(EventKind::Alarm, "after");
    log_.acknowledgeLine(0);
    log_.removeObserver(item);
    log_.addEvent(EventKind::Note, "unseen");
    EXPECT_EQ(item.calls, (std::vector<std::string>{"add 1 *after", "change 0 -before",
                                                    "add 2 -before acknowledged 10:00:00"}));
}

TEST(EventLineStateTest, TheMarkSaysWhichImageALineGets) {
    EXPECT_EQ(eventLineState("*alarm"), EventLineState::Unacknowledged);
    EXPECT_EQ(eventLineState("-alarm"), EventLineState::Acknowledged);
    EXPECT_EQ(eventLineState("User ann login"), EventLineState::Plain);
    EXPECT_EQ(eventLineState(""), EventLineState::Plain);
}

}  // namespace
}  // namespace kestrune
