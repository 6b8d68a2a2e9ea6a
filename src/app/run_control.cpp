#include "app/run_control.h"

#include <thread>

#include "app/disk_space.h"
#include "app/event_log.h"
#include "app/run_displays.h"
#include "app/run_error_log.h"
#include "app/run_error_report.h"
#include "app/run_scripts.h"
#include "app/run_security.h"
#include "app/status_bar_state.h"
#include "app/status_text.h"
#include "app/system_info.h"
#include "app/text_format.h"
#include "app/timer_service.h"
#include "app/virtual_tag_run.h"
#include "components/opc/opc_client.h"
#include "components/tagdb/tag_database.h"
#include "document/document_commands.h"
#include "document/strategy_document.h"
#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "engine/task_run_start.h"
#include "platform/paths.h"
#include "resources/message_box.h"
#include "resources/message_ids.h"

namespace kestrune {
namespace {

RunDisplays& noDisplays() {
    static NullRunDisplays displays;
    return displays;
}

RunScripts& noScripts() {
    static NullRunScripts scripts;
    return scripts;
}

// Tasks that were only just started end at once: their threads wait for a
// first scan event that never came. The bound is for a thread that does not.
constexpr std::chrono::seconds kUndoStartLimit{30};

}  // namespace

RunControl::RunControl(const RunControlServices& services)
    : services_(services),
      displays_(services.displays != nullptr ? *services.displays : noDisplays()),
      scripts_(services.scripts != nullptr ? *services.scripts : noScripts()),
      mainThread_(std::this_thread::get_id()) {
    services_.timers.setHandler([this](int id) { onTimer(id); });
}

RunControl::~RunControl() {
    services_.timers.setHandler({});
}

std::int32_t RunControl::errorCount() const {
    return services_.errorReport.errorCount();
}

std::int32_t RunControl::dataOverrunCount() const {
    return services_.errorReport.dataOverrunCount();
}

std::vector<ScanTask*> RunControl::scanTasks() const {
    std::vector<ScanTask*> tasks;
    if (document_ == nullptr) return tasks;
    for (const auto& task : document_->tasks())
        if (auto* scan = dynamic_cast<ScanTask*>(&task->taskObject())) tasks.push_back(scan);
    return tasks;
}

std::size_t RunControl::runningTaskCount() const {
    return services_.scheduler.runningTaskCount();
}

std::string RunControl::strategyName() const {
    const std::string& path = document_ != nullptr ? document_->path() : std::string();
    const std::string directory = kestrune::strategyDirectory(path);
    const std::string name = path.substr(directory.size());
    return name.empty() ? std::string("Untitled") : name;
}

std::string RunControl::strategyDirectory() const {
    return document_ != nullptr ? document_->directory() : std::string();
}

void RunControl::changed() {
    observers_.notify([](RunObserver& o) { o.runStateChanged(); });
}

CommandState RunControl::commandState() const {
    CommandState state;
    state.running = running();
    state.stopping = stopping();
    state.paused = paused();
    state.locked = locked();
    state.viewActive = document_ != nullptr;
    return state;
}

bool RunControl::commandEnabled(std::uint64_t command) const {
    return isCommandEnabled(static_cast<int>(command), commandState());
}

// ---- start ----

Code RunControl::start() {
    if (document_ == nullptr) return kMsgGenericError;
    if (!isIdle()) return kMsgProcessStillRunning;
    if (const Code code = checkBeforeStart(); code != kOk) return code;
    if (const Code code = lockStrategy(); code != kOk) return code;
    if (const Code code = prepareReports(); code != kOk) {
        strategyLock_.release();
        return code;
    }
    if (const Code code = startParticipants(); code != kOk) {
        // A thread that would not end keeps the run, and the lock, until it has.
        if (isIdle()) strategyLock_.release();
        return code;
    }
    finishStart();
    if (!services_.scheduler.start(displays_.refreshTargets(), displays_.trendItems())) {
        // Without its timer the scheduler never lets a task scan: a run that
        // would only look as if it ran is stopped again at once.
        showMessageBox(services_.ui, kMsgCouldNotCreateTimer, {}, MessageIcon::Error);
        stop(StopReason::StartFailed);
        return kMsgCouldNotCreateTimer;
    }
    changed();
    return kOk;
}

Code RunControl::checkBeforeStart() {
    if (const Code code = document_->validateAll(); code != kOk) {
        showMessageBox(services_.ui, kMsgCannotRunPartiallyConfigured);
        return kMsgCannotRunPartiallyConfigured;
    }
    if (document_->modified()) {
        if (askOkCancel(services_.ui, kMsgStrategyModifiedSave) != Answer::Ok)
            return kMsgStrategyModifiedSave;
        // The user asked for the save: a run must not start as if it had
        // happened when it was cancelled or failed.
        if (const SaveResult saved = SaveStrategy(*document_); !saved.saved())
            return saved.status.code != kOk ? saved.status.code : kMsgStrategyModifiedSave;
    }
    if (document_->options().securityChecking) {
        if (services_.security == nullptr) {
            showMessageBox(services_.ui, kMsgPasswordFileMissing);
            return kMsgPasswordFileMissing;
        }
        if (const Code code = services_.security->checkStart(); code != kOk) return code;
    }
    const std::string directory = strategyDirectory();
    if (services_.diskSpace.isLow(directory, kLowDiskSpaceBound)) {
        showMessageText(services_.ui, lowDiskSpaceText(directory, kLowDiskSpaceBound));
        return kMsgDiskSpaceLow;
    }
    return kOk;
}

Code RunControl::lockStrategy() {
    // An untitled strategy is in no file another runtime could open.
    if (document_->path().empty()) return kOk;
    const Status locked = strategyLock_.acquire(document_->path());
    if (locked) return kOk;
    showMessageText(services_.ui, statusText(locked), MessageIcon::Error);
    return locked.code;
}

Code RunControl::prepareReports() {
    const StrategyOptions& options = document_->options();
    const std::string directory = strategyDirectory();
    services_.errorReport.start({options.beepOnError, options.logErrors, options.errorLimit}, directory);
    if (const Status status = services_.runErrorLog.start(directory, options.logErrors); !status) {
        showMessageBox(services_.ui, kMsgCannotOpenFile, {std::string(": ") + std::string(kRunErrorFileName)},
                       MessageIcon::Error);
        return status.code;
    }
    services_.eventLog.setEnabled(options.eventLog);
    services_.eventLog.setPrintMode(eventPrintModeFrom(static_cast<int>(options.printEvents)));
    if (services_.eventLog.printMode() != EventPrintMode::None) {
        if (const Status status = services_.eventLog.checkPrinter(); !status) {
            showMessageText(services_.ui, statusText(status), MessageIcon::Error);
            undoReports();
            return status.code;
        }
    }
    paused_.set(0);
    services_.diskSpace.start(directory, kLowDiskSpaceBound);
    return kOk;
}

Code RunControl::startParticipants() {
    scripts_.beginRun();
    Code code = scripts_.runMainScript();
    if (code == kOk) code = displays_.startEarlyItems();
    std::vector<ScanTask*> started;
    if (code == kOk) {
        const std::vector<ScanTask*> tasks = scanTasks();
        TaskRunStart run = startTasksForRun(tasks, services_.scheduler.settings().resolutionMs);
        started = std::move(run.started);
        if (run.failed != nullptr) {
            code = run.code;
            showMessageText(services_.ui, formatText(kCannotStartTaskText, {run.failed->name()}));
        }
    }
    if (code == kOk) code = displays_.startItems();
    if (code != kOk) {
        undoParticipants(started);
        return code;
    }
    applyVirtualTagsForRun(services_.tags, document_->virtualTags());
    displays_.enterRunMode();
    return kOk;
}

void RunControl::undoParticipants(const std::vector<ScanTask*>& started) {
    for (ScanTask* task : started) task->Stop();
    const bool ended = waitForTasksToEnd();
    displays_.stopItems();
    scripts_.endRun();
    undoReports();
    paused_.set(0);
    if (ended) {
        running_.set(0);
        return;
    }
    // A thread that would not end keeps the run in the stopping state, which
    // polls it like any stop until it has.
    stopping_.store(true);
    stopReason_ = StopReason::StartFailed;
    services_.timers.setTimer(kTimerFinishStop, kStopRetryInterval);
    changed();
}

void RunControl::undoReports() {
    services_.runErrorLog.stop();
    services_.diskSpace.stop();
    services_.eventLog.setPrintMode(EventPrintMode::None);
}

bool RunControl::waitForTasksToEnd() {
    const auto deadline = std::chrono::steady_clock::now() + kUndoStartLimit;
    while (!services_.scheduler.allTasksStopped()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void RunControl::finishStart() {
    services_.eventLog.addEvent(EventKind::StrategyStarted, strategyName());
    if (scripts_.hasMainScript() || displays_.wantsFlashTimer()) {
        if (!services_.timers.setTimer(kTimerMainScript, kMainScriptInterval))
            showMessageBox(services_.ui, kMsgCouldNotCreateTimer);
    }
    // Set before the lock, which is only for a running strategy.
    running_.set(1);
    showRunningStatus();
    if (document_->options().startLocked) lock();
    setSystemInfoBit(services_.tags, kSystemInfoRunning, true);
    services_.scheduler.setPausedProbe([this] { return paused(); });
}

void RunControl::showRunningStatus() {
    showRunState();
    services_.statusBar.setPaneText(StatusPanes::kErrorCountPane,
                                    formatText("Error Count:%ld", {std::to_string(errorCount())}));
}

void RunControl::taskStarted(const ScanTask&) {
    running_.set(1);
    showRunningStatus();
}

// ---- stop ----

void RunControl::stop(StopReason reason) {
    if (stopping() || !running()) return;
    stopping_.store(true);
    stopReason_ = reason;
    services_.scheduler.stop();
    services_.scheduler.stopAllTasks();
    postOrRetry(kMsgFinishRunStop, kTimerFinishStop);
    changed();
}

void RunControl::finishStop() {
    if (!stopping()) return;
    if (!services_.scheduler.allTasksStopped()) {
        services_.timers.setTimer(kTimerFinishStop, kStopRetryInterval);
        return;
    }
    services_.timers.killTimer(kTimerFinishStop);
    services_.timers.killTimer(kTimerPendingTaskStops);
    pendingStops_.clear();
    displays_.stopItems();
    scripts_.endRun();
    // While the run-error log is still open, so that a failure reaches it
    // and the stop does not read "Stopped normally".
    saveHeldValues();
    undoReports();
    running_.set(0);
    paused_.set(0);
    locked_.set(0);
    services_.timers.killTimer(kTimerMainScript);
    if (errorCount() == 0) services_.statusBar.setPaneText(StatusPanes::kMessagePane, kStoppedNormallyText);
    setSystemInfoBit(services_.tags, kSystemInfoRunning, false);
    if (services_.opc != nullptr) services_.opc->removeAll();
    writeStopEvent();
    strategyLock_.release();
    stopping_.store(false);
    changed();
}

void RunControl::saveHeldValues() {
    holdSave_ = {};
    const std::string hold = document_ != nullptr ? document_->holdFilePath() : std::string();
    if (hold.empty()) return;
    FileSystemCalls* calls = document_->services().fileCalls;
    holdSave_ = services_.tags.saveHoldFile(hold, calls != nullptr ? *calls : FileSystemCalls::system());
    if (holdSave_) return;
    // The old hold file is still there; the values of this run are lost.
    const std::string text = statusText(holdSave_);
    reportText(text);
    services_.eventLog.addEvent(EventKind::Note, text);
    showMessageText(services_.ui, text, MessageIcon::Error);
}

void RunControl::writeStopEvent() {
    services_.eventLog.addEvent(EventKind::StrategyStopped, strategyName());
}

bool RunControl::stopAndWait(std::chrono::milliseconds limit) {
    stop(StopReason::Shutdown);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (stopping()) {
        if (services_.scheduler.allTasksStopped()) {
            finishStop();
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(kStopRetryInterval);
    }
    return isIdle();
}

// ---- pause, lock, close ----

void RunControl::showRunState() {
    services_.statusBar.setPaneText(StatusPanes::kMessagePane, paused() ? kPausedText : kRunningNormallyText);
}

bool RunControl::pause() {
    if (!canPause()) return false;
    paused_.set(1);
    showRunState();
    changed();
    return true;
}

bool RunControl::resume() {
    if (!canResume()) return false;
    paused_.set(0);
    showRunState();
    changed();
    return true;
}

Code RunControl::lock() {
    if (!canLock()) return kMsgGenericError;
    if (services_.security == nullptr) {
        showMessageBox(services_.ui, kMsgPasswordFileMissing);
        return kMsgPasswordFileMissing;
    }
    if (const Code code = services_.security->lock(); code != kOk) return code;
    locked_.set(1);
    services_.statusBar.setPaneText(StatusPanes::kMessagePane, kLockedStatusText);
    changed();
    return kOk;
}

Code RunControl::unlock() {
    if (!canUnlock()) return kMsgGenericError;
    if (services_.security == nullptr) {
        showMessageBox(services_.ui, kMsgPasswordFileMissing);
        return kMsgPasswordFileMissing;
    }
    services_.mainQueue.post(kMsgLoginToUnlock, kCmdUnlock);
    return kOk;
}

void RunControl::setLocked(bool locked) {
    if (locked == this->locked()) return;
    locked_.set(locked ? 1 : 0);
    if (!locked && running()) showRunState();
    changed();
}

bool RunControl::queryClose() {
    if (isIdle()) return true;
    showMessageBox(services_.ui, kMsgProcessStillRunning);
    return false;
}

}  // namespace kestrune
