#include "cli/run/headless_run.h"

#include <algorithm>
#include <cstdio>

#include "app/application.h"
#include "app/event_log.h"
#include "app/status_bar_state.h"
#include "app/timer_service.h"
#include "cli/run/tag_watch.h"
#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "platform/clock.h"

namespace kestrune {
namespace {

constexpr std::chrono::milliseconds kLongestWait{100};
constexpr std::chrono::seconds kWatchInterval{1};

}  // namespace

HeadlessRun::HeadlessRun(Application& app, const RunOptions& options, std::ostream& out, std::ostream& err,
                         const std::atomic<int>& stopSignal)
    : app_(app), options_(options), out_(out), err_(err), stopSignal_(stopSignal) {
    app_.runControl().addObserver(*this);
    app_.eventLog().addObserver(*this);
}

HeadlessRun::~HeadlessRun() {
    app_.eventLog().removeObserver(*this);
    app_.runControl().removeObserver(*this);
}

int HeadlessRun::run() {
    RunControl& control = app_.runControl();
    chooseWatchedTags();
    started_ = std::chrono::steady_clock::now();
    nextWatch_ = started_ + kWatchInterval;
    const Code refused = control.start();
    printEvents();
    if (refused != kOk && control.isIdle()) return kExitStartRefused;

    auto* timers = dynamic_cast<ClockTimerService*>(&app_.timers());
    bool stopAsked = false;
    const auto handler = [this](const MainMessage& m) { app_.handleMessage(m); };
    while (!control.isIdle()) {
        const auto now = std::chrono::steady_clock::now();
        app_.mainQueue().waitAndDrain(handler, waitTime(now));
        if (timers != nullptr) timers->fireDue();
        app_.idle();
        printEvents();
        printWatchLine();
        out_.flush();
        if (stopAsked || !control.running() || control.stopping()) continue;
        const bool durationOver =
            options_.durationSeconds && std::chrono::steady_clock::now() - started_ >=
                                            std::chrono::duration<double>(*options_.durationSeconds);
        if (stopSignal_.load() != 0 || durationOver || strategyEnded()) {
            stopAsked = true;
            control.stop();
        }
    }
    // The lines the stop left for the files and the screen.
    app_.drainMessages();
    printEvents();
    out_.flush();
    if (refused != kOk) return kExitStartRefused;
    if (!control.lastHoldSave()) return kExitHoldNotSaved;
    return control.lastStopReason() == StopReason::ErrorLimit ? kExitErrorLimit : kExitStopped;
}

// The open strategy has published its tags: a name that is not there now is
// a typing error, said once rather than as "?" on every line.
void HeadlessRun::chooseWatchedTags() {
    for (const WatchedTag& tag : options_.watch) {
        if (const std::string problem = watchProblem(app_.tags(), tag); !problem.empty())
            err_ << "kestrune-run: --watch " << tag.text() << ": " << problem << '\n';
        else
            watched_.push_back(tag);
    }
    err_.flush();
}

void HeadlessRun::printWatchLine() {
    const auto now = std::chrono::steady_clock::now();
    // Only while the run lasts: after the stop the tags hold what the stop left.
    if (watched_.empty() || now < nextWatch_ || app_.runControl().isIdle()) return;
    const std::chrono::duration<double> elapsed = now - started_;
    out_ << watchLine(elapsed.count(), app_.tags(), watched_) << '\n';
    // A loop held up for longer than a second skips the lines it missed.
    while (nextWatch_ <= now) nextWatch_ += kWatchInterval;
}

std::chrono::milliseconds HeadlessRun::waitTime(std::chrono::steady_clock::time_point now) const {
    std::chrono::steady_clock::time_point until = now + kLongestWait;
    if (!watched_.empty()) until = std::min(until, nextWatch_);
    if (auto* timers = dynamic_cast<const ClockTimerService*>(&app_.timers()))
        if (const auto deadline = timers->nextDeadline()) until = std::min(until, *deadline);
    if (options_.durationSeconds) {
        const auto end = started_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                        std::chrono::duration<double>(*options_.durationSeconds));
        until = std::min(until, end);
    }
    return std::max(std::chrono::milliseconds(0), std::chrono::ceil<std::chrono::milliseconds>(until - now));
}

bool HeadlessRun::strategyEnded() {
    const RunControl& control = app_.runControl();
    if (control.runningTaskCount() != 0 || control.pendingTaskStops() != 0) {
        for (const ScanTask* task : control.scanTasks()) {
            if (task->timing().startMode() != StartMode::Delayed || !app_.scheduler().isRunningTask(task))
                continue;
            if (std::find(delayedStarted_.begin(), delayedStarted_.end(), task) == delayedStarted_.end())
                delayedStarted_.push_back(task);
        }
        return false;
    }
    for (const ScanTask* task : control.scanTasks()) {
        const StartMode mode = task->timing().startMode();
        if (mode == StartMode::SystemTime) return false;
        if (mode == StartMode::Delayed &&
            std::find(delayedStarted_.begin(), delayedStarted_.end(), task) == delayedStarted_.end())
            return false;
    }
    return true;
}

// ---- printing ----

std::string HeadlessRun::timeText() const {
    const std::tm t = app_.clock().localTime();
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

void HeadlessRun::printLine(const std::string& text) {
    if (!options_.quiet) out_ << timeText() << ' ' << text << '\n';
}

std::string HeadlessRun::stateText() const {
    const RunControl& control = app_.runControl();
    if (control.stopping()) return "stopping";
    if (!control.running()) return "stopped";
    if (control.locked()) return "locked";
    return control.paused() ? "paused" : "running";
}

void HeadlessRun::runStateChanged() {
    if (const std::string state = stateText(); state != lastState_) {
        lastState_ = state;
        printLine("state: " + state);
    }
    const std::string status = app_.statusBar().text(StatusPanes::kMessagePane);
    if (!status.empty() && status != lastStatus_) {
        lastStatus_ = status;
        printLine(status);
    }
}

void HeadlessRun::runErrorReported(std::string_view text) {
    lastStatus_ = std::string(text);
    printLine(lastStatus_);
}

void HeadlessRun::eventLineAdded(std::size_t, std::string_view line) {
    std::lock_guard lock(eventsMutex_);
    events_.emplace_back(line);
}

void HeadlessRun::printEvents() {
    std::deque<std::string> lines;
    {
        std::lock_guard lock(eventsMutex_);
        lines.swap(events_);
    }
    if (options_.quiet) return;
    for (const std::string& line : lines) out_ << "event: " << line << '\n';
}

}  // namespace kestrune
