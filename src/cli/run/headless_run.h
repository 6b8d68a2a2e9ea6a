#pragma once
// The main loop of kestrune-run around an initialized Application whose
// strategy is open: starts the run, drains the main queue, fires the
// timers, prints what happens, and ends the run when the duration is over,
// a signal came, or the strategy stopped itself; then waits for the full
// stop sequence to finish.
//
// Threads: everything on the main thread. The event log's observer calls
// come from any thread and only queue the line for the loop to print.

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "app/event_log_observer.h"
#include "app/run_control.h"
#include "cli/run/run_options.h"

namespace kestrune {

class Application;
class ScanTask;

class HeadlessRun final : public RunObserver, public EventLogObserver {
  public:
    // `stopSignal` becomes non-zero when a signal asks for the end; a watched
    // tag that cannot be watched is reported on `err` once, before the start.
    HeadlessRun(Application& app, const RunOptions& options, std::ostream& out, std::ostream& err,
                const std::atomic<int>& stopSignal);
    ~HeadlessRun() override;
    HeadlessRun(const HeadlessRun&) = delete;
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    // Starts, runs and stops; the exit status (kExitStopped, kExitStartRefused,
    // kExitErrorLimit, kExitHoldNotSaved).
    int run();

    // RunObserver
    void runStateChanged() override;
    void runErrorReported(std::string_view text) override;
    // EventLogObserver
    void eventLineAdded(std::size_t index, std::string_view line) override;
    void eventLineChanged(std::size_t, std::string_view) override {}
    void eventLinesReplaced(const std::vector<std::string>&) override {}

  private:
    // Whether the strategy has ended on its own: no task runs or is being
    // stopped, and none could still start by itself (a delayed or daily task).
    bool strategyEnded();
    std::chrono::milliseconds waitTime(std::chrono::steady_clock::time_point now) const;
    void printEvents();
    void chooseWatchedTags();
    void printWatchLine();
    void printLine(const std::string& text);
    std::string timeText() const;
    std::string stateText() const;

    Application& app_;
    const RunOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    const std::atomic<int>& stopSignal_;
    std::vector<WatchedTag> watched_;  // the watched tags the tag database has
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point nextWatch_;
    std::string lastState_;
    std::string lastStatus_;
    // Delayed tasks seen running: a delayed start comes once per run.
    std::vector<const ScanTask*> delayedStarted_;

    std::mutex eventsMutex_;
    std::deque<std::string> events_;
};

}  // namespace kestrune
