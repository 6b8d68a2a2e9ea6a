#pragma once
// The worker thread of a scan task: waits for the scan event the scheduler
// sets when the task is due, runs the pre-task script on the first scan,
// scans, counts the task's duration and asks for its own stop when the
// duration is over; at its end it runs the post-task script. What a scan,
// a script or a pause is belongs to the task (TaskThreadBody); this class
// owns only the thread, its events and its state.
//
// Threads: start, requestStop and pollStopped are called on the main thread;
// setScanEvent and state on the scheduler's master thread; the body runs on
// the task thread. The state is read and written under the state lock.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "engine/running_script.h"
#include "engine/schedulable_task.h"
#include "engine/scheduler.h"
#include "platform/main_queue.h"
#include "platform/reset_event.h"
#include "platform/status.h"

namespace kestrune {

// What the task does on its thread.
class TaskThreadBody {
  public:
    virtual ~TaskThreadBody() = default;
    // First scan event only: runs the pre-task script when one is ready and
    // returns its result (0 when there is none). Non-zero stops the task.
    virtual Code runPreTaskScript() = 0;
    // One scan of the task's scan list (RunScan).
    virtual void runScan() = 0;
    // Last thing on the thread: runs and releases the post-task script,
    // releases the pre-task script.
    virtual void finishScripts() = 0;
    // A script error has disabled scripts everywhere: scan events are skipped.
    virtual bool scriptsDisabled() const = 0;
    // The run is paused: no scans, but the thread keeps waiting.
    virtual bool runPaused() const = 0;
};

class TaskThread {
  public:
    // A thread that does not end is reported once per this many polls more than its period in ticks.
    static constexpr std::int64_t kStopPollGrace = 300;

    TaskThread(SchedulableTask& owner, TaskThreadBody& body, Scheduler& scheduler, MainQueue& queue);
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;
    // Asks a thread that still exists to stop and joins it.
    ~TaskThread();

    // Resets the scan and stop events, sets the first-scan flag and creates
    // the thread at `threadPriority` (-2 .. 2). False when a thread exists or
    // none could be made.
    bool start(int threadPriority);
    TaskThreadState state() const;
    bool hasThread() const;
    void setScanEvent() { scanEvent_.set(); }

    // Stop: when a thread exists and no stop was asked for yet, sets the stop
    // event, marks the task stopping and clears the stop-wait count.
    void requestStop();
    bool stopping() const { return stopping_.load(); }

    enum class StopPoll {
        Stopped,           // no thread any more (joined now or never started)
        NotYet,            // still running
        NotYetReportStuck  // still running, and long enough to tell the user
    };
    // The thread's part of the stop poll: waits 1 ms for the thread to end;
    // an ended thread is joined and the stopping mark cleared.
    StopPoll pollStopped(std::int64_t periodTicks);

    // Any thread: ends the script the thread is running now, if any.
    void cancelRunningScript() { runningScript_.cancel(); }

    // "%s can not be stopped, ..." with the task name.
    static std::string cannotStopText(const std::string& taskName);

    // Set by the main thread when it has taken a start or stop request of this task.
    ResetEvent& requestHandledEvent() { return requestHandled_; }

    // The task whose thread is the calling thread (scripts run there), or null.
    static SchedulableTask* currentTask();

  private:
    void run(int threadPriority);
    void setState(TaskThreadState s);
    // After a failed pre-task script or the end of the duration: ask the main
    // thread to stop this task, waiting until it took the request (or the stop came).
    void requestOwnStop();
    void checkDuration(bool scanned);

    SchedulableTask& owner_;
    TaskThreadBody& body_;
    Scheduler& scheduler_;
    MainQueue& queue_;

    AutoResetEvent scanEvent_;
    // Manual reset: the thread also waits on it while its own stop request is
    // taken, and must still see it afterwards.
    ManualResetEvent stopEvent_;
    AutoResetEvent requestHandled_;

    mutable std::mutex stateMutex_;
    TaskThreadState state_ = TaskThreadState::Stopped;

    std::thread thread_;
    ManualResetEvent ended_;  // set as the thread function returns
    std::atomic<bool> stopping_{false};
    RunningScriptSlot runningScript_;
    std::int64_t stopWaitCount_ = 0;  // main thread only
    // Task thread only while it runs; set by start before the thread exists.
    bool firstScan_ = false;
    bool ownStopRequested_ = false;
};

// SetOverrunWarning: switches the overrun report of the task running on the
// calling thread on or off. False when the caller is no task thread.
bool setOverrunWarning(bool on);

}  // namespace kestrune
