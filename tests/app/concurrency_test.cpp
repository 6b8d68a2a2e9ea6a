// Producers on several threads add events, report run errors and queue error
// messages while the main thread drains its queue, as in a running strategy.
// Whatever the queues accepted must reach the files whole; the list of lines
// must hold every event. Run under ThreadSanitizer in the threads build.

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

#include "app/error_message_queue.h"
#include "app/event_log.h"
#include "app/event_log_files.h"
#include "app/event_log_observer.h"
#include "app/run_error_log.h"
#include "app/run_error_report.h"
#include "app_fakes.h"
#include "platform/clock.h"
#include "platform/scripted_user_interface.h"
#include "platform/temp_dir.h"

namespace kestrune {
namespace {

using testing_support::FakePrinter;
using testing_support::PrinterRecord;
using testing_support::RecordingPanes;
using testing_support::TempDir;

class CountingObserver final : public EventLogObserver {
  public:
    void eventLineAdded(std::size_t index, std::string_view) override {
        // Called under the event log's lock, so indexes arrive in order.
        if (index != added) outOfOrder = true;
        ++added;
    }
    void eventLineChanged(std::size_t, std::string_view) override {}
    void eventLinesReplaced(const std::vector<std::string>&) override {}
    std::size_t added = 0;
    bool outOfOrder = false;
};

// The "Count=n" of a folded run-error line, 1 for a single occurrence.
int occurrences(const std::string& line) {
    static const std::regex count(" Count=([0-9]+) ");
    std::smatch m;
    return std::regex_search(line, m, count) ? std::stoi(m[1]) : 1;
}

TEST(AppConcurrencyTest, ProducersOnManyThreadsWhileTheMainThreadDrains) {
    constexpr int kThreads = 4;
    constexpr int kEach = 300;

    TempDir dir;
    MainQueue queue;
    ManualClock clock;
    clock.setLocalTime(2005, 3, 7, 10, 0, 0);
    PrinterRecord printed;
    CEventLog events(queue, clock);
    events.setPrinter(std::make_unique<FakePrinter>(printed));
    events.setEnabled(true);
    events.setPrintMode(EventPrintMode::AlarmOnly);
    ASSERT_TRUE(events.open(dir.path().string()).ok());
    CountingObserver observer;
    events.addObserver(observer);

    RunErrorLog log(queue, clock);
    ASSERT_TRUE(log.start(dir.path().string(), true).ok());
    RunErrorReport report(queue, log);
    RecordingPanes panes;
    report.setStatusPanes(&panes);
    report.start({.logErrors = true}, dir.path().string());
    ErrorMessageQueue errors(queue);
    ScriptedUserInterface ui;

    std::atomic<int> running{kThreads};
    std::atomic<std::int32_t> seenCount{0};
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                events.addEvent(i % 3 == 0 ? EventKind::Alarm : EventKind::Note,
                                "T" + std::to_string(t) + " #" + std::to_string(i));
                queue.post(kMsgRunErrorReport, i % 2 == 0 ? 32866 : 32876);
                if (i % 50 == 0) errors.queue("message from " + std::to_string(t));
                seenCount.store(report.errorCount());
                if (i % 10 == 0) events.lineCount();
            }
            --running;
        });
    }

    std::size_t writeMessages = 0, runErrorMessages = 0, reports = 0;
    auto handle = [&](const MainMessage& m) {
        switch (m.id) {
            case kMsgWriteEventLines:
                ++writeMessages;
                EXPECT_TRUE(events.writePendingLines().ok());
                break;
            case kMsgPrintEventLines:
                events.printPendingLines();
                break;
            case kMsgRunErrorReport:
                ++reports;
                report.report(static_cast<Code>(m.wParam), {});
                break;
            case kMsgWriteRunError:
                ++runErrorMessages;
                EXPECT_TRUE(log.writeNext().ok());
                break;
            case kMsgShowNextErrorMessage:
                errors.showNext(ui);
                break;
            default:
                break;
        }
        // The window acknowledges now and then while the producers run.
        if (m.id == kMsgWriteEventLines && writeMessages % 25 == 0) events.acknowledgeSelected();
    };
    while (running.load() > 0) queue.waitAndDrain(handle, std::chrono::milliseconds(5));
    for (auto& p : producers) p.join();
    while (queue.drain(handle) > 0) {
    }
    ASSERT_TRUE(log.stop().ok());

    // Every report was counted, and the list holds every event (and the
    // acknowledgements the window made).
    EXPECT_EQ(reports, std::size_t{kThreads * kEach});
    EXPECT_EQ(report.errorCount(), kThreads * kEach);
    EXPECT_GE(events.lineCount(), std::size_t{kThreads * kEach});
    EXPECT_EQ(observer.added, events.lineCount());
    EXPECT_FALSE(observer.outOfOrder);
    events.removeObserver(observer);

    // The working file has exactly the lines its queue accepted, each whole.
    std::vector<std::string> written;
    ASSERT_TRUE(readEventLines(events.workingFilePath(), written).ok());
    EXPECT_EQ(written.size(), writeMessages);
    const std::string content = TempDir::read(events.workingFilePath());
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), static_cast<long>(written.size()));
    EXPECT_EQ(std::count(content.begin(), content.end(), '\r'), static_cast<long>(written.size()));

    // The run-error log accounts for every text its queue accepted.
    std::vector<std::string> logged;
    ASSERT_TRUE(readEventLines((dir / "RUNERR.LOG").string(), logged).ok());
    int total = 0;
    for (const std::string& line : logged) total += occurrences(line);
    EXPECT_EQ(static_cast<std::size_t>(total), runErrorMessages);
    EXPECT_TRUE(ui.errors().empty());
}

}  // namespace
}  // namespace kestrune
