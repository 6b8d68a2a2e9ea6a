#include "app/run_error_report.h"

#include "app/beeper.h"
#include "app/disk_space.h"
#include "app/run_error_log.h"
#include "app/status_panes.h"
#include "app/text_format.h"
#include "components/driver/device_driver.h"
#include "platform/main_queue.h"
#include "platform/system_error_code.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {

RunErrorReport::RunErrorReport(MainQueue& mainQueue, RunErrorLog& log) : mainQueue_(mainQueue), log_(log) {}

void RunErrorReport::start(const RunErrorPreferences& preferences, std::string strategyDirectory) {
    preferences_ = preferences;
    strategyDirectory_ = std::move(strategyDirectory);
    errorCount_.set(0);
}

void RunErrorReport::report(Code code, const RunErrorSource& source) {
    if (code == kOk) return;
    reportText(textFor(code, source));
}

void RunErrorReport::reportLowDiskSpace(std::uint32_t bound) {
    reportText(lowDiskSpaceText(strategyDirectory_, bound));
}

void RunErrorReport::reportText(std::string_view text) {
    announce(text);
    countError();
}

void RunErrorReport::announce(std::string_view text) {
    if (preferences_.beepOnError && beeper_) beeper_->beep();
    if (panes_) panes_->setPaneText(StatusPanes::kMessagePane, text);
    if (preferences_.logErrors) log_.queue(text);
}

void RunErrorReport::countError() {
    const std::int32_t count = errorCount_.preIncrement();
    if (panes_)
        panes_->setPaneText(
            StatusPanes::kErrorCountPane,
            formatText("Error Count:%lu", {std::to_string(static_cast<std::uint32_t>(count))}));
    const std::uint32_t limit = preferences_.errorLimit;
    if (limit != 0 && static_cast<std::uint32_t>(count) > limit) mainQueue_.post(kMsgErrorLimitReached);
}

std::string RunErrorReport::textFor(Code code, const RunErrorSource& source) {
    switch (code) {
        case kRunErrorDataOverrun:
            return formatText("Data Overrun:%ld", {std::to_string(dataOverruns_.preIncrement())});
        case kRunErrorBadQuality:
            dataOverruns_.preIncrement();
            return badQualityText(code, source);
        case kMsgTimerOverrun:
            return (source.taskName.empty() ? source.blockName : source.taskName) + strings::text(code);
        case kMsgDivisionByZero:
            return strings::text(code) + formatText("%s : %s", {source.taskName, source.blockName});
        case kMsgDiskSpaceLow:
            return lowDiskSpaceText(strategyDirectory_, kLowDiskSpaceBound);
        default:
            break;
    }
    // The program's own codes: its messages, the tag database's codes (the
    // table's negative ids) and system errors. Driver codes handed on masked
    // to 12 bits share numbers with low message ids, so those stay with the driver.
    const bool ours = (code >= kFirstProgramMessage && code <= kLastProgramMessage) ||
                      isSystemErrorCode(code) || (code < 0 && strings::lookup(code));
    return ours ? strings::text(code) : componentText(code, source);
}

std::string RunErrorReport::badQualityText(Code code, const RunErrorSource& source) const {
    if (opc_ && source.opcItem != 0) {
        int good = 0;
        std::string text;
        if (opc_->itemQualityCheck(source.opcItem, good, &text) == kOk && !text.empty()) return text;
    }
    return componentText(code, source);
}

std::string RunErrorReport::componentText(Code code, const RunErrorSource& source) const {
    std::string text;
    if (driver_ && driver_->checkErrorCode(code)) {
        if (source.deviceNumber >= 0)
            driver_->getErrorMessage(source.deviceNumber, source.deviceKind, code, text);
        else
            driver_->getErrorMessage(code, text);
    } else if (opc_) {
        opc_->getErrorMessage(code, text);
    }
    // A code from outside the program that no component knows: "ER:<code>".
    return text.empty() ? strings::text(code) : text;
}

}  // namespace kestrune
