#include "engine/task_thread.h"

#include <system_error>

#include "engine/task_requests.h"
#include "engine/thread_priority.h"

namespace kestrune {
namespace {

thread_local SchedulableTask* tCurrentTask = nullptr;

}  // namespace

SchedulableTask* TaskThread::currentTask() {
    return tCurrentTask;
}

bool setOverrunWarning(bool on) {
    SchedulableTask* task = TaskThread::currentTask();
    if (!task) return false;
    task->timing().setOverrunWarning(on);
    return true;
}

TaskThread::TaskThread(SchedulableTask& owner, TaskThreadBody& body, Scheduler& scheduler, MainQueue& queue)
    : owner_(owner), body_(body), scheduler_(scheduler), queue_(queue) {}

TaskThread::~TaskThread() {
    if (!thread_.joinable()) return;
    stopEvent_.set();
    thread_.join();
}

bool TaskThread::start(int threadPriority) {
    if (thread_.joinable() || state() != TaskThreadState::Stopped) return false;
    scanEvent_.reset();
    stopEvent_.reset();
    ended_.reset();
    firstScan_ = true;
    ownStopRequested_ = false;
    stopping_ = false;
    stopWaitCount_ = 0;
    try {
        thread_ = std::thread(&TaskThread::run, this, threadPriority);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

TaskThreadState TaskThread::state() const {
    std::lock_guard lock(stateMutex_);
    return state_;
}

bool TaskThread::hasThread() const {
    return thread_.joinable();
}

void TaskThread::setState(TaskThreadState s) {
    std::lock_guard lock(stateMutex_);
    state_ = s;
}

void TaskThread::requestStop() {
    if (!thread_.joinable() || stopping_.load()) return;
    stopEvent_.set();
    stopping_ = true;
    stopWaitCount_ = 0;
}

TaskThread::StopPoll TaskThread::pollStopped(std::int64_t periodTicks) {
    if (!thread_.joinable()) return StopPoll::Stopped;
    if (!ended_.waitFor(std::chrono::milliseconds(1))) {
        if (++stopWaitCount_ > periodTicks + kStopPollGrace) {
            stopWaitCount_ = 0;
            return StopPoll::NotYetReportStuck;
        }
        return StopPoll::NotYet;
    }
    thread_.join();
    stopping_ = false;
    return StopPoll::Stopped;
}

std::string TaskThread::cannotStopText(const std::string& taskName) {
    return taskName +
           " can not be stopped, please acknowledge all waiting messages or shutdown whole system!";
}

void TaskThread::requestOwnStop() {
    ownStopRequested_ = true;
    requestTaskStop(owner_, queue_, true, &stopEvent_);
}

void TaskThread::checkDuration(bool scanned) {
    TaskTiming& timing = owner_.timing();
    switch (timing.durationMode()) {
        case DurationMode::ScanBased:
            if (!scanned || !timing.countScan()) return;
            // Let the displays show the last scan's values before the task ends.
            scheduler_.waitRefreshAndTrigger();
            scheduler_.waitRefresh();
            requestOwnStop();
            return;
        case DurationMode::TimeBased:
            if (timing.takeDurationEnd()) requestOwnStop();
            return;
        case DurationMode::FreeRun:
            return;
    }
}

void TaskThread::run(int threadPriority) {
    applyThreadPriority(threadPriority);
    tCurrentTask = &owner_;
    RunningScriptSlot::setForThisThread(&runningScript_);
    setState(TaskThreadState::Waiting);
    scheduler_.threadStarted();
    for (;;) {
        // The stop event first: a stop is never starved by a stream of scan events.
        if (ResetEvent::waitForAny(stopEvent_, scanEvent_) == ResetEvent::WaitResult::First) break;
        if (body_.scriptsDisabled()) continue;
        if (firstScan_) {
            firstScan_ = false;
            if (body_.runPreTaskScript() != kOk) {
                requestOwnStop();
                continue;
            }
        }
        // After its own stop request the thread only waits for the stop.
        if (ownStopRequested_) continue;
        bool scanned = false;
        if (!body_.runPaused()) {
            scheduler_.enterScan(this);
            setState(TaskThreadState::Scanning);
            try {
                body_.runScan();
            } catch (...) {
                // A scan reports its own errors; one that throws anyway must
                // not leave the scan token taken or the counters off.
            }
            setState(TaskThreadState::Waiting);
            scheduler_.leaveScan(this);
            scanned = true;
        }
        checkDuration(scanned);
    }
    setState(TaskThreadState::Stopped);
    scheduler_.threadEnded();
    body_.finishScripts();
    ended_.set();
}

}  // namespace kestrune
