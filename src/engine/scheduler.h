#pragma once
// The multi-task scheduler: turns one periodic tick of R milliseconds into
// the scan rhythm of every running task, the refresh rhythm of the displays
// and the update rhythm of the trend items. It never calls a block: it only
// decides which task may scan next and wakes its thread.
//
// Threads and what they own:
//  - the tick source's thread: only the tick counter and the tick event;
//  - the master thread: the step accounting (masterStep), which walks the
//    running-task list under that list's lock, the tasks' timing counters,
//    the trend accumulators and the refresh counter;
//  - the display refresh thread: posts the redraw request to every display;
//  - the trend thread: updates the due trend items;
//  - task threads: the running-thread and scanning-task counters and the
//    single-task scan token (enterScan / leaveScan);
//  - the main thread: everything else (start, stop, settings, task lists).
//
// Every timing rule lives in masterStep(), which the master thread calls once
// per wake-up; tests drive it directly with a ManualTickSource and a
// ManualClock, without any thread or wall-clock wait.
//
// Lock order: the all-task list or the running-task list, then a task's own
// lock (threadState, stop). Nothing here waits for a task while holding a list.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/schedulable_task.h"
#include "engine/scheduler_settings.h"
#include "engine/scheduler_targets.h"
#include "engine/worker_thread.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/tick_source.h"

namespace kestrune {

// What one master step did (the master thread ignores it; tests read it).
struct MasterStepResult {
    bool quit = false;         // the master quit event was seen: the master ends
    std::int64_t ticks = 0;    // ticks counted since the previous step
    int startsRequested = 0;   // delayed and daily starts requested
    int tasksSignalled = 0;    // scan events set
    int overrunsReported = 0;  // 0x415 timer overrun reports posted
    int trendItemsDue = 0;     // trend items that became due
    bool refreshTriggered = false;
};

class Scheduler {
  public:
    // How long a stop waits for each thread before abandoning it.
    static constexpr std::chrono::milliseconds kThreadEndTimeout{30000};
    // How long a task waits for the display refresh handshake.
    static constexpr std::chrono::milliseconds kRefreshWaitTimeout{3000};

    // `ticks`, `clock` and `queue` must outlive the scheduler (and, after a
    // thread was abandoned, that thread: see WorkerThread).
    Scheduler(TickSource& ticks, const Clock& clock, MainQueue& queue);
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;
    // Stops whatever still runs.
    ~Scheduler();

    // ---- settings (main thread) ----
    // Taken over at the next run start; a running run keeps its values.
    void setSettings(const SchedulerSettings& settings);
    SchedulerSettings settings() const;
    // The values of the current (or last) run.
    SchedulerSettings activeSettings() const;
    // Answers whether the run is paused (the trend thread then updates items
    // that have an owner task). Called on the trend thread; taken over at the next run start.
    void setPausedProbe(std::function<bool()> paused);
    struct WaitBounds {
        std::chrono::milliseconds threadEnd = kThreadEndTimeout;
        std::chrono::milliseconds refreshWait = kRefreshWaitTimeout;
    };
    // For tests: shorter bounds than 30 s and 3 s.
    void setWaitBounds(WaitBounds bounds);

    // ---- task lists ----
    // Every task of the strategy (a task enters at construction, leaves at destruction).
    void addTask(SchedulableTask* task);
    // False when the task was not in the list.
    bool removeTask(SchedulableTask* task);
    // Running tasks: the task's Start adds it, its stop poll removes it.
    void addRunningTask(SchedulableTask* task);
    bool removeRunningTask(SchedulableTask* task);
    std::size_t runningTaskCount() const;
    bool isRunningTask(const SchedulableTask* task) const;

    // ---- run start and stop (main thread) ----
    // prepareRun, then the display refresh thread, the trend thread, the
    // master thread and the timer, in that order. False when the timer could
    // not be started (no task will ever be signalled; the threads run and
    // stop normally, and the caller decides whether to tell the user).
    bool start(std::vector<DisplayRefreshTarget*> displays, std::vector<TrendUpdateTarget*> trendItems);
    // Timer, master thread, display refresh thread, trend thread. False when
    // a thread did not end in time and was abandoned.
    bool stop();

    // A new run without starting anything: takes over the settings, keeps the
    // displays and trend items, and recomputes the timing of every task that
    // is not running (so delays count from this run's start; a running task
    // was recomputed by its own start). False (and nothing changed) while a
    // thread or the timer of the current run is still going.
    bool prepareRun(std::vector<DisplayRefreshTarget*> displays, std::vector<TrendUpdateTarget*> trendItems);
    // The single steps of start and stop, on the current run.
    bool startTimer();
    void stopTimer();
    bool startMaster();
    bool stopMaster();
    bool startDisplayRefresh();
    bool stopDisplayRefresh();
    bool startTrendThread();
    bool stopTrendThread();

    // One pass of the master thread over the ticks counted since the last
    // pass, on the calling thread. Not to be called while the master thread runs.
    MasterStepResult masterStep();

    // ---- display refresh handshake (task threads) ----
    // Waits up to 3 s for a running refresh to finish. False on time-out.
    bool waitRefresh();
    // The same, then triggers one more refresh.
    bool waitRefreshAndTrigger();

    // ---- stopping the tasks (main thread) ----
    // Asks every running task to stop.
    void stopAllTasks();
    // Polls the running tasks in list order: true once none is left.
    bool allTasksStopped();

    // ---- task threads ----
    void threadStarted();
    void threadEnded();
    int runningThreadCount() const;
    // Around one scan: in single-task mode takes the scan token (waiting while
    // another task holds it); in every mode counts the task as scanning, so
    // that in single-task mode the master holds due tasks back while one scans.
    void enterScan(const void* task);
    void leaveScan(const void* task);
    int scanningTaskCount() const;

    // Ticks counted since the timer started.
    std::uint64_t tickCount() const;

    // The state shared with the threads (internal, see scheduler_core.h).
    struct Core;

  private:
    std::shared_ptr<Core> core_;
    TickSource& ticks_;
    WorkerThread master_;
    WorkerThread refresh_;
    WorkerThread trend_;
};

}  // namespace kestrune
