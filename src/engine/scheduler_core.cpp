#include "engine/scheduler_core.h"

#include "engine/task_requests.h"
#include "engine/thread_priority.h"
#include "platform/main_window_messages.h"
#include "resources/message_ids.h"

namespace kestrune {
namespace {

// Local time of day in ms; the milliseconds of the clock are ignored, as the
// daily start time has none.
std::int64_t localMsOfDay(const Clock& clock) {
    const std::tm t = clock.localTime();
    return 1000LL * (3600LL * t.tm_hour + 60LL * t.tm_min + t.tm_sec);
}

// Delayed and daily starts of the tasks that are not running. The requests
// are made outside the list lock: the main thread that takes them may need
// the list meanwhile.
bool gatherAndRequestStarts(Scheduler::Core& core, SchedulerRun& run, std::int64_t n, MasterStepResult& out) {
    run.startBatch.clear();
    {
        std::lock_guard lock(core.allMutex);
        std::int64_t msOfDay = -1;
        for (SchedulableTask* task : core.allTasks) {
            if (run.masterQuitting.load(std::memory_order_relaxed)) return false;
            TaskTiming& timing = task->timing();
            const StartMode mode = timing.startMode();
            if (mode != StartMode::Delayed && mode != StartMode::SystemTime) continue;
            const bool stopped = task->threadState() == TaskThreadState::Stopped;
            bool due = false;
            if (mode == StartMode::Delayed) {
                due = stopped && timing.advanceDelay(n);
            } else {
                if (msOfDay < 0) msOfDay = localMsOfDay(core.clock);
                // Asked even while the task runs, so that leaving the window re-arms tomorrow's start.
                due = timing.dailyStartDue(msOfDay, stopped);
            }
            if (due) run.startBatch.push_back(task);
        }
    }
    for (SchedulableTask* task : run.startBatch) {
        if (run.masterQuitting.load()) return false;
        requestTaskStart(*task, core.queue, true, &run.masterQuit);
        ++out.startsRequested;
    }
    return !run.masterQuitting.load();
}

void accountRunningTasks(Scheduler::Core& core, SchedulerRun& run, std::int64_t n, MasterStepResult& out) {
    const bool singleTask = run.settings.singleTaskMode;
    std::lock_guard lock(core.runningMutex);
    for (SchedulableTask* task : core.running) {
        if (run.masterQuitting.load(std::memory_order_relaxed)) return;
        TaskTiming& timing = task->timing();
        const TaskTiming::PeriodStep step = timing.advancePeriod(n);
        if (step.reportOverrun) {
            core.queue.post(kMsgRunErrorReport, kMsgTimerOverrun, toParam(task->messageObject()));
            ++out.overrunsReported;
        }
        // A task still scanning gets no extra scan: its elapsed ticks keep
        // growing until the overrun rule above starts a new period.
        if (step.due && task->threadState() == TaskThreadState::Waiting &&
            (!singleTask || core.scanningTasks.load() == 0)) {
            timing.releasePeriod();
            task->setScanEvent();
            ++out.tasksSignalled;
        }
        timing.advanceDuration(n);
    }
}

void accountTrends(SchedulerRun& run, std::int64_t n, MasterStepResult& out) {
    for (std::size_t i = 0; i < run.trendCount; ++i) {
        SchedulerRun::TrendSlot& slot = run.trends[i];
        slot.accumulator += n;
        if (slot.accumulator >= slot.periodTicks) {
            slot.accumulator = 0;
            slot.due.store(true);
            ++out.trendItemsDue;
        }
    }
    if (out.trendItemsDue > 0) run.trendTick.set();
}

}  // namespace

MasterStepResult Scheduler::Core::masterStep(SchedulerRun& run) {
    MasterStepResult out;
    const std::uint64_t now = run.tickCount.load();
    out.ticks = static_cast<std::int64_t>(now - run.lastTick);
    run.lastTick = now;

    // Each part looks at the quit flag before touching tasks again.
    out.quit = !gatherAndRequestStarts(*this, run, out.ticks, out);
    if (!out.quit) accountRunningTasks(*this, run, out.ticks, out);
    out.quit = out.quit || run.masterQuitting.load();
    if (out.quit) return out;
    accountTrends(run, out.ticks, out);

    // Counted in ticks, so a step that caught up two ticks at once does not
    // stretch the refresh rhythm: one refresh every D + 1 ticks.
    run.refreshCounter += out.ticks;
    if (run.refreshCounter > run.settings.refreshDivider) {
        run.refreshCounter = 0;
        run.refresh.set();
        out.refreshTriggered = true;
    }
    return out;
}

void Scheduler::Core::masterLoop(SchedulerRun& run) {
    applyThreadPriority(thread_priority::kTimeCritical);
    useFinestTimerSlack();
    for (;;) {
        // Quit first: a busy tick never starves the stop.
        if (ResetEvent::waitForAny(run.masterQuit, run.tick) == ResetEvent::WaitResult::First) return;
        if (masterStep(run).quit) return;
    }
}

void Scheduler::Core::refreshLoop(SchedulerRun& run) {
    applyThreadPriority(run.settings.displayPriority());
    for (;;) {
        if (ResetEvent::waitForAny(run.displayQuit, run.refresh) == ResetEvent::WaitResult::First) return;
        run.refreshDone.reset();
        for (DisplayRefreshTarget* display : run.displays) {
            if (run.displayQuitting.load()) return;
            display->postRefresh();
        }
        run.refreshDone.set();
    }
}

void Scheduler::Core::trendLoop(SchedulerRun& run) {
    applyThreadPriority(thread_priority::kIdle);
    for (;;) {
        if (ResetEvent::waitForAny(run.trendQuit, run.trendTick) == ResetEvent::WaitResult::First) return;
        const bool runPaused = run.pausedProbe && run.pausedProbe();
        for (std::size_t i = 0; i < run.trendCount; ++i) {
            if (run.trendQuitting.load()) return;
            SchedulerRun::TrendSlot& slot = run.trends[i];
            if (!slot.due.exchange(false)) continue;
            // While the run goes on, an item with an owner task is updated by that task's scans.
            if (slot.target->trendActive() && (!slot.target->hasOwnerTask() || runPaused))
                slot.target->scanTrend();
        }
    }
}

}  // namespace kestrune
