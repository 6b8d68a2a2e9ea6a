#pragma once
// The scheduler's state, shared between the Scheduler object and its
// threads. It is held by shared pointers so that a thread abandoned at stop
// keeps what it uses alive until it ends (see WorkerThread).
//  - Scheduler::Core lives as long as the scheduler: settings, task lists,
//    counters, the scan token.
//  - SchedulerRun is made afresh for every run: its events, its arrays, its
//    tick counter and the settings it runs with. A thread abandoned in one run
//    can thus never mix with the threads of the next.
// Internal to the engine.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/scheduler.h"

namespace kestrune {

struct SchedulerRun {
    struct TrendSlot {
        TrendUpdateTarget* target = nullptr;
        std::int64_t periodTicks = 1;
        std::int64_t accumulator = 0;  // master thread only
        std::atomic<bool> due{false};  // set by the master, taken by the trend thread
    };

    explicit SchedulerRun(const SchedulerSettings& s) : settings(s) {}

    const SchedulerSettings settings;
    // Whether the run is paused, as set when the run was made.
    std::function<bool()> pausedProbe;

    // Filled before the run's threads start, read-only afterwards.
    std::vector<DisplayRefreshTarget*> displays;
    std::unique_ptr<TrendSlot[]> trends;
    std::size_t trendCount = 0;

    std::atomic<std::uint64_t> tickCount{0};
    std::uint64_t lastTick = 0;       // master thread only
    std::int64_t refreshCounter = 0;  // master thread only
    // Tasks whose start is due in this step, gathered under the all-task list
    // lock and requested outside it. Reserved for every task of the strategy
    // when the run is made, so the master thread does not allocate.
    std::vector<SchedulableTask*> startBatch;

    AutoResetEvent tick;
    ManualResetEvent masterQuit;
    AutoResetEvent refresh;
    ManualResetEvent refreshDone;
    ManualResetEvent displayQuit;
    AutoResetEvent trendTick;
    ManualResetEvent trendQuit;
    // Cheap checks for the loops (the events above are what the threads wait on).
    std::atomic<bool> masterQuitting{false};
    std::atomic<bool> displayQuitting{false};
    std::atomic<bool> trendQuitting{false};
    // The refresh handshake is only waited for while a refresh thread runs.
    std::atomic<bool> refreshRunning{false};
};

struct Scheduler::Core {
    Core(const Clock& c, MainQueue& q) : clock(c), queue(q) {}

    // One pass of the master thread over `run`.
    MasterStepResult masterStep(SchedulerRun& run);
    void masterLoop(SchedulerRun& run);
    void refreshLoop(SchedulerRun& run);
    void trendLoop(SchedulerRun& run);

    const Clock& clock;
    MainQueue& queue;

    mutable std::mutex settingsMutex;
    SchedulerSettings configured;
    std::function<bool()> pausedProbe;
    WaitBounds bounds;

    // The current run; its settings are the active ones.
    mutable std::mutex runMutex;
    std::shared_ptr<SchedulerRun> run;

    mutable std::mutex allMutex;
    std::vector<SchedulableTask*> allTasks;

    mutable std::mutex runningMutex;
    std::vector<SchedulableTask*> running;

    std::atomic<int> runningThreads{0};
    std::atomic<int> scanningTasks{0};

    std::mutex tokenMutex;
    std::condition_variable tokenFree;
    const void* tokenHolder = nullptr;
};

}  // namespace kestrune
