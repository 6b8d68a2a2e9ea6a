#include "engine/scheduler.h"

#include <algorithm>

#include "engine/scheduler_core.h"

namespace kestrune {
namespace {

bool eraseFrom(std::vector<SchedulableTask*>& list, const SchedulableTask* task) {
    const auto it = std::find(list.begin(), list.end(), task);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

std::shared_ptr<SchedulerRun> currentRun(const Scheduler::Core& core) {
    std::lock_guard lock(core.runMutex);
    return core.run;
}

Scheduler::WaitBounds waitBounds(const Scheduler::Core& core) {
    std::lock_guard lock(core.settingsMutex);
    return core.bounds;
}

}  // namespace

Scheduler::Scheduler(TickSource& ticks, const Clock& clock, MainQueue& queue)
    : core_(std::make_shared<Core>(clock, queue)), ticks_(ticks) {
    // A run exists from the start, so the handshakes and masterStep always have one.
    core_->run = std::make_shared<SchedulerRun>(core_->configured);
}

Scheduler::~Scheduler() {
    stop();
}

// ---- settings ----

void Scheduler::setSettings(const SchedulerSettings& settings) {
    std::lock_guard lock(core_->settingsMutex);
    core_->configured = settings;
    core_->configured.resolutionMs = SchedulerSettings::clampResolution(settings.resolutionMs);
    core_->configured.refreshDivider = std::max(settings.refreshDivider, 1);
    core_->configured.displayPriorityIndex =
        SchedulerSettings::clampDisplayPriorityIndex(settings.displayPriorityIndex);
}

SchedulerSettings Scheduler::settings() const {
    std::lock_guard lock(core_->settingsMutex);
    return core_->configured;
}

SchedulerSettings Scheduler::activeSettings() const {
    return currentRun(*core_)->settings;
}

void Scheduler::setPausedProbe(std::function<bool()> paused) {
    std::lock_guard lock(core_->settingsMutex);
    core_->pausedProbe = std::move(paused);
}

void Scheduler::setWaitBounds(WaitBounds bounds) {
    std::lock_guard lock(core_->settingsMutex);
    core_->bounds = bounds;
}

// ---- task lists ----

void Scheduler::addTask(SchedulableTask* task) {
    if (!task) return;
    std::lock_guard lock(core_->allMutex);
    if (std::find(core_->allTasks.begin(), core_->allTasks.end(), task) == core_->allTasks.end())
        core_->allTasks.push_back(task);
}

bool Scheduler::removeTask(SchedulableTask* task) {
    std::lock_guard lock(core_->allMutex);
    return eraseFrom(core_->allTasks, task);
}

void Scheduler::addRunningTask(SchedulableTask* task) {
    if (!task) return;
    std::lock_guard lock(core_->runningMutex);
    if (std::find(core_->running.begin(), core_->running.end(), task) == core_->running.end())
        core_->running.push_back(task);
}

bool Scheduler::removeRunningTask(SchedulableTask* task) {
    std::lock_guard lock(core_->runningMutex);
    return eraseFrom(core_->running, task);
}

std::size_t Scheduler::runningTaskCount() const {
    std::lock_guard lock(core_->runningMutex);
    return core_->running.size();
}

bool Scheduler::isRunningTask(const SchedulableTask* task) const {
    std::lock_guard lock(core_->runningMutex);
    return std::find(core_->running.begin(), core_->running.end(), task) != core_->running.end();
}

// ---- run start and stop ----

bool Scheduler::start(std::vector<DisplayRefreshTarget*> displays,
                      std::vector<TrendUpdateTarget*> trendItems) {
    stop();  // whatever a caller left running ends first
    prepareRun(std::move(displays), std::move(trendItems));
    startDisplayRefresh();
    startTrendThread();
    startMaster();
    return startTimer();
}

bool Scheduler::prepareRun(std::vector<DisplayRefreshTarget*> displays,
                           std::vector<TrendUpdateTarget*> trendItems) {
    if (ticks_.running() || master_.started() || refresh_.started() || trend_.started()) return false;
    const SchedulerSettings settings = this->settings();
    auto run = std::make_shared<SchedulerRun>(settings);
    {
        std::lock_guard lock(core_->settingsMutex);
        run->pausedProbe = core_->pausedProbe;
    }
    run->displays = std::move(displays);
    run->trendCount = trendItems.size();
    run->trends = std::make_unique<SchedulerRun::TrendSlot[]>(run->trendCount);
    for (std::size_t i = 0; i < run->trendCount; ++i) {
        run->trends[i].target = trendItems[i];
        run->trends[i].periodTicks = std::max<std::int64_t>(trendItems[i]->trendPeriodTicks(), 1);
    }
    {
        std::lock_guard lock(core_->allMutex);
        run->startBatch.reserve(core_->allTasks.size());
        for (SchedulableTask* task : core_->allTasks)
            if (task->threadState() == TaskThreadState::Stopped)
                task->timing().recompute(settings.resolutionMs);
    }
    std::lock_guard lock(core_->runMutex);
    core_->run = std::move(run);
    return true;
}

bool Scheduler::stop() {
    stopTimer();
    bool allEnded = stopMaster();
    allEnded = stopDisplayRefresh() && allEnded;
    allEnded = stopTrendThread() && allEnded;
    return allEnded;
}

bool Scheduler::startTimer() {
    if (ticks_.running()) return false;
    // Each run counts its ticks from 0; the master may already be waiting for
    // the first. The callback keeps its run alive.
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    return ticks_.start(std::chrono::milliseconds(run->settings.resolutionMs), [run] {
        run->tickCount.fetch_add(1);
        run->tick.set();
    });
}

void Scheduler::stopTimer() {
    ticks_.stop();
}

bool Scheduler::startMaster() {
    if (master_.started()) return false;
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    run->tick.reset();
    run->masterQuit.reset();
    run->masterQuitting = false;
    return master_.start([core = core_, run] { core->masterLoop(*run); });
}

bool Scheduler::stopMaster() {
    if (!master_.started()) return true;
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    run->masterQuitting = true;
    run->masterQuit.set();
    return master_.finish(waitBounds(*core_).threadEnd);
}

bool Scheduler::startDisplayRefresh() {
    if (refresh_.started()) return false;
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    run->refresh.reset();
    run->refreshDone.reset();
    run->displayQuit.reset();
    run->displayQuitting = false;
    run->refreshRunning = true;
    const bool started = refresh_.start([core = core_, run] { core->refreshLoop(*run); });
    if (!started) run->refreshRunning = false;
    return started;
}

bool Scheduler::stopDisplayRefresh() {
    if (!refresh_.started()) return true;
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    run->refreshRunning = false;
    run->displayQuitting = true;
    run->displayQuit.set();
    // A task may be waiting for the refresh it triggered: let it go now.
    run->refreshDone.set();
    return refresh_.finish(waitBounds(*core_).threadEnd);
}

bool Scheduler::startTrendThread() {
    if (trend_.started()) return false;
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    run->trendTick.reset();
    run->trendQuit.reset();
    run->trendQuitting = false;
    return trend_.start([core = core_, run] { core->trendLoop(*run); });
}

bool Scheduler::stopTrendThread() {
    if (!trend_.started()) return true;
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    run->trendQuitting = true;
    run->trendQuit.set();
    return trend_.finish(waitBounds(*core_).threadEnd);
}

MasterStepResult Scheduler::masterStep() {
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    return core_->masterStep(*run);
}

// ---- display refresh handshake ----

bool Scheduler::waitRefresh() {
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    // Without a refresh thread nothing would ever set refresh-done.
    if (!run->refreshRunning.load()) return false;
    return run->refreshDone.waitFor(waitBounds(*core_).refreshWait);
}

bool Scheduler::waitRefreshAndTrigger() {
    const std::shared_ptr<SchedulerRun> run = currentRun(*core_);
    if (!run->refreshRunning.load()) return false;
    const bool done = run->refreshDone.waitFor(waitBounds(*core_).refreshWait);
    run->refreshDone.reset();
    run->refresh.set();
    return done;
}

// ---- stopping the tasks ----

void Scheduler::stopAllTasks() {
    std::lock_guard lock(core_->runningMutex);
    for (SchedulableTask* task : core_->running) task->stop();
}

bool Scheduler::allTasksStopped() {
    // The stop poll of a stopped task takes it off the running list, so the
    // list is walked from a copy and not under its lock.
    std::vector<SchedulableTask*> tasks;
    {
        std::lock_guard lock(core_->runningMutex);
        tasks = core_->running;
    }
    for (SchedulableTask* task : tasks) {
        if (!task->isStopped()) return false;
        removeRunningTask(task);
    }
    return runningTaskCount() == 0;
}

// ---- task threads ----

void Scheduler::threadStarted() {
    core_->runningThreads.fetch_add(1);
}

void Scheduler::threadEnded() {
    core_->runningThreads.fetch_sub(1);
}

int Scheduler::runningThreadCount() const {
    return core_->runningThreads.load();
}

void Scheduler::enterScan(const void* task) {
    if (activeSettings().singleTaskMode) {
        std::unique_lock lock(core_->tokenMutex);
        core_->tokenFree.wait(lock, [&] { return core_->tokenHolder == nullptr; });
        core_->tokenHolder = task;
    }
    core_->scanningTasks.fetch_add(1);
}

void Scheduler::leaveScan(const void* task) {
    core_->scanningTasks.fetch_sub(1);
    {
        std::lock_guard lock(core_->tokenMutex);
        if (core_->tokenHolder != task) return;
        core_->tokenHolder = nullptr;
    }
    core_->tokenFree.notify_all();
}

int Scheduler::scanningTaskCount() const {
    return core_->scanningTasks.load();
}

std::uint64_t Scheduler::tickCount() const {
    return currentRun(*core_)->tickCount.load();
}

}  // namespace kestrune
