// Run control's end of the main window's messages and timers.
#include <algorithm>

#include "app/disk_space.h"
#include "app/event_log.h"
#include "app/network_notice.h"
#include "app/run_control.h"
#include "app/run_displays.h"
#include "app/run_error_report.h"
#include "app/run_error_source.h"
#include "app/run_scripts.h"
#include "app/status_bar_state.h"
#include "app/text_format.h"
#include "app/timer_service.h"
#include "document/strategy_document.h"
#include "engine/main_window_commands.h"
#include "engine/scan_task.h"
#include "resources/message_box.h"
#include "resources/message_ids.h"

namespace kestrune {

bool RunControl::handleMessage(const MainMessage& message) {
    switch (message.id) {
        case kMsgRunErrorReport:
            handleRunError(message);
            return true;
        case kMsgRunErrorText:
            drainTextReports();
            return true;
        case kMsgTaskStartStop:
            handleTaskRequest(message);
            return true;
        case kMsgNetworkNotification:
            handleNetworkNotice(message);
            return true;
        case kMsgErrorLimitReached:
            stop(StopReason::ErrorLimit);
            return true;
        case kMsgBeginRunStop:
            stop(StopReason::Request);
            return true;
        case kMsgFinishRunStop:
            finishStop();
            return true;
        case kMsgCloseAfterStop:
            finishAfterStop(kMsgCloseAfterStop, kTimerCloseAfterStop, closeHandler_);
            return true;
        case kMsgExitAfterStop:
            finishAfterStop(kMsgExitAfterStop, kTimerExitAfterStop, exitHandler_);
            return true;
        case kMsgCommand:
            switch (message.wParam) {
                case kCmdStart:
                case kCmdStop:
                case kCmdPause:
                case kCmdResume:
                case kCmdLock:
                case kCmdUnlock:
                    handleCommand(message.wParam);
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

void RunControl::handleCommand(std::uint64_t command) {
    switch (command) {
        case kCmdStart:
            if (canStart()) start();
            break;
        case kCmdStop:
            // Posted by a block whose scan asked for the end of the run, so
            // it stops a locked run as well; the menu's command is disabled then.
            stop(StopReason::Command);
            break;
        case kCmdPause:
            pause();
            break;
        case kCmdResume:
            resume();
            break;
        case kCmdLock:
            lock();
            break;
        case kCmdUnlock:
            unlock();
            break;
        default:
            break;
    }
}

void RunControl::onTimer(int id) {
    switch (id) {
        case kTimerFinishStop:
            services_.timers.killTimer(id);
            postOrRetry(kMsgFinishRunStop, kTimerFinishStop);
            break;
        case kTimerCloseAfterStop:
            services_.timers.killTimer(id);
            postOrRetry(kMsgCloseAfterStop, kTimerCloseAfterStop);
            break;
        case kTimerExitAfterStop:
            services_.timers.killTimer(id);
            postOrRetry(kMsgExitAfterStop, kTimerExitAfterStop);
            break;
        case kTimerPendingTaskStops:
            pollPendingStops();
            break;
        case kTimerMainScript:
            if (scripts_.hasMainScript()) scripts_.mainScriptTimer();
            if (displays_.wantsFlashTimer()) displays_.flashTick();
            break;
        default:
            break;
    }
}

void RunControl::postOrRetry(MessageId message, int timer) {
    // A full queue must not leave the stop half done: the timer tries again.
    if (!services_.mainQueue.post(message)) services_.timers.setTimer(timer, kStopRetryInterval);
}

void RunControl::idle() {
    if (running() && !stopping()) services_.diskSpace.idle();
}

void RunControl::finishAfterStop(MessageId message, int timer, const std::function<void()>& handler) {
    if (!isIdle()) {
        services_.timers.setTimer(timer, kStopRetryInterval);
        return;
    }
    if (handler) handler();
}

// ---- task start and stop requests ----

void RunControl::handleTaskRequest(const MainMessage& message) {
    if (document_ == nullptr) return;
    auto* task = dynamic_cast<ScanTask*>(findMessageNode(document_->registry(), message.lParam));
    if (task == nullptr) return;
    task->requestHandledEvent().set();
    if (!running() || stopping()) return;
    if (message.wParam == 1) {
        if (task->Start() != kOk) {
            services_.mainQueue.post(kMsgBeginRunStop);
            showMessageText(services_.ui, formatText(kCannotStartTaskText, {task->name()}));
        }
        return;
    }
    task->Stop();
    if (task->IsTaskStopped()) {
        changed();
        return;
    }
    if (std::find(pendingStops_.begin(), pendingStops_.end(), task) != pendingStops_.end()) return;
    pendingStops_.push_back(task);
    if (pendingStops_.size() == 1) services_.timers.setTimer(kTimerPendingTaskStops, kStopRetryInterval);
}

void RunControl::pollPendingStops() {
    const std::size_t before = pendingStops_.size();
    for (std::size_t i = pendingStops_.size(); i-- > 0;) {
        if (pendingStops_[i]->IsTaskStopped())
            pendingStops_.erase(pendingStops_.begin() + static_cast<long>(i));
    }
    if (pendingStops_.empty()) services_.timers.killTimer(kTimerPendingTaskStops);
    if (pendingStops_.size() != before) changed();
}

// ---- reports ----

void RunControl::announceError(std::string_view text) {
    observers_.notify([text](RunObserver& o) { o.runErrorReported(text); });
}

void RunControl::handleRunError(const MainMessage& message) {
    const auto code = static_cast<Code>(message.wParam);
    if (code == kOk) return;
    if (code == kMsgDiskSpaceLow) {
        // The disk-space watch sends the bound where others send the node.
        services_.errorReport.reportLowDiskSpace(static_cast<std::uint32_t>(message.lParam));
    } else {
        const Node* node =
            document_ != nullptr ? findMessageNode(document_->registry(), message.lParam) : nullptr;
        services_.errorReport.report(code, runErrorSourceOf(node));
    }
    announceError(services_.statusBar.text(StatusPanes::kMessagePane));
}

void RunControl::reportText(std::string_view text) {
    if (onMainThread()) {
        services_.errorReport.reportText(text);
        announceError(text);
        return;
    }
    if (textReports_.put(text)) services_.mainQueue.post(kMsgRunErrorText);
}

void RunControl::drainTextReports() {
    while (!textReports_.empty()) {
        const std::string text = textReports_.get();
        services_.errorReport.reportText(text);
        announceError(text);
    }
}

void RunControl::handleNetworkNotice(const MainMessage& message) {
    const auto id = static_cast<int>(message.wParam);
    if (id == kMsgWinsockTerminates) {
        writeStopEvent();
        return;
    }
    const std::string text = networkNoticeText(id, paramAs<const NetworkNoticeSubject>(message.lParam));
    services_.errorReport.announce(text);
    if (isNetworkConnectionEvent(id)) {
        services_.eventLog.addEvent(EventKind::Note, text);
    } else {
        services_.errorReport.countError();
    }
    announceError(text);
}

}  // namespace kestrune
