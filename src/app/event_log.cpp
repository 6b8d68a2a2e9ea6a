#include "app/event_log.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>

#include "app/event_log_files.h"
#include "app/event_log_observer.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/paths.h"
#include "resources/message_ids.h"

namespace kestrune {

EventPrintMode eventPrintModeFrom(int stored) {
    if (stored == 1) return EventPrintMode::AllEvents;
    if (stored == 2) return EventPrintMode::AlarmOnly;
    return EventPrintMode::None;
}

CEventLog::CEventLog(MainQueue& mainQueue, const Clock& clock, FileSystemCalls& calls)
    : mainQueue_(mainQueue),
      clock_(clock),
      calls_(calls),
      working_(calls),
      printer_(std::make_unique<LpPrinter>()) {}

CEventLog::~CEventLog() = default;

Status CEventLog::open(std::string_view directory) {
    close();
    workingPath_ = resolveDataFile(directory, kEventLogFileName);
    historyPath_ = resolveDataFile(directory, kEventHistoryFileName);

    std::vector<std::string> loaded;
    Status result = readEventLines(workingPath_, loaded);
    if (result) {
        std::size_t moved = 0;
        result = rollOverEventLines(workingPath_, historyPath_, loaded, moved, calls_);
    }
    if (Status s = openExistingWorkingFile(); !s && result) result = s;

    std::lock_guard lock(mutex_);
    lines_ = std::move(loaded);
    selection_ = lines_.empty() ? std::nullopt : std::optional<std::size_t>(lines_.size() - 1);
    observers_.notify([this](EventLogObserver& o) { o.eventLinesReplaced(lines_); });
    return result;
}

Status CEventLog::openExistingWorkingFile() {
    std::error_code error;
    if (std::filesystem::exists(workingPath_, error)) return working_.open(workingPath_);
    // The file is made by the first line written; a directory it could never
    // be made in is reported now, when the log is opened.
    std::filesystem::path directory = std::filesystem::path(workingPath_).parent_path();
    if (directory.empty()) directory = ".";
    if (::access(directory.c_str(), W_OK | X_OK) != 0) return {kMsgCannotOpenFile, workingPath_};
    return {};
}

void CEventLog::close() {
    working_.close();
}

Status CEventLog::writePendingLines() {
    Status result;
    bool wrote = false;
    // Only the main thread takes from the queue, so the count can only grow
    // under us; lines added meanwhile come with a message of their own.
    const std::size_t waiting = writeQueue_.count();
    if (waiting > 0 && !working_.isOpen()) result = working_.open(workingPath_);
    for (std::size_t n = waiting; n > 0; --n) {
        const std::string text = writeQueue_.get();
        Status s = working_.append(text);
        if (s)
            wrote = true;
        else if (result)
            result = s;
    }
    if (wrote)
        if (Status s = working_.sync(); !s && result) result = s;
    return result;
}

Status CEventLog::printPendingLines() {
    std::string job;
    for (std::size_t n = printQueue_.count(); n > 0; --n) job += printQueue_.get();
    if (job.empty()) return {};
    return printer_->printRaw(job, kPrintDocumentName);
}

Status CEventLog::checkPrinter() {
    return printer_->check();
}

void CEventLog::setPrinter(std::unique_ptr<EventPrinter> printer) {
    if (printer) printer_ = std::move(printer);
}

Status CEventLog::addEvent(int kind, std::string_view subject) {
    const auto k = eventKindFrom(kind);
    if (!k) return kMsgInvalidParameters;
    return addEvent(*k, subject);
}

Status CEventLog::addEvent(EventKind kind, std::string_view subject) {
    if (!enabled()) return {};
    try {
        const std::string text = eventText(kind, subject, clock_.localTime());
        if (const auto state = loginStateAfter(kind)) loggedIn_.store(*state);
        const std::string fileLine = text + "\r\n";
        const std::string shown = kind == EventKind::Alarm ? kUnacknowledgedMark + text : text;
        const EventPrintMode mode = printMode();
        const bool print =
            mode == EventPrintMode::AllEvents || (mode == EventPrintMode::AlarmOnly && isAlarmEvent(kind));

        bool queuedWrite = false;
        bool queuedPrint = false;
        {
            // One lock around the list and both queues keeps the file, the
            // list and the paper in the same order when threads race.
            std::lock_guard lock(mutex_);
            queuedWrite = writeQueue_.put(fileLine);
            lines_.push_back(shown);
            const std::size_t index = lines_.size() - 1;
            selection_ = index;
            observers_.notify([&](EventLogObserver& o) { o.eventLineAdded(index, shown); });
            if (print) queuedPrint = printQueue_.put(fileLine);
        }
        if (queuedWrite) mainQueue_.post(kMsgWriteEventLines);
        if (queuedPrint) mainQueue_.post(kMsgPrintEventLines);
        return {};
    } catch (const std::bad_alloc&) {
        return kMsgEventLogOutOfMemory;
    }
}

std::vector<std::string> CEventLog::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::size_t CEventLog::lineCount() const {
    std::lock_guard lock(mutex_);
    return lines_.size();
}

std::optional<std::string> CEventLog::line(std::size_t index) const {
    std::lock_guard lock(mutex_);
    if (index >= lines_.size()) return std::nullopt;
    return lines_[index];
}

std::optional<std::size_t> CEventLog::selection() const {
    std::lock_guard lock(mutex_);
    return selection_;
}

void CEventLog::select(std::size_t index) {
    std::lock_guard lock(mutex_);
    if (index < lines_.size()) selection_ = index;
}

bool CEventLog::acknowledgeLocked(std::size_t index, std::string& acknowledged) {
    if (index >= lines_.size()) return false;
    std::string& line = lines_[index];
    if (eventLineState(line) != EventLineState::Unacknowledged) return false;
    line.front() = kAcknowledgedMark;
    observers_.notify([&](EventLogObserver& o) { o.eventLineChanged(index, line); });
    acknowledged = line;
    return true;
}

bool CEventLog::acknowledgeSelected() {
    std::string acknowledged;
    {
        std::lock_guard lock(mutex_);
        if (!selection_ || !acknowledgeLocked(*selection_, acknowledged)) return false;
    }
    // Outside the lock: the acknowledgement is an event like any other.
    addEvent(EventKind::Acknowledgement, acknowledged);
    return true;
}

bool CEventLog::acknowledgeLine(std::size_t index) {
    std::string acknowledged;
    {
        std::lock_guard lock(mutex_);
        if (index >= lines_.size()) return false;
        selection_ = index;
        if (!acknowledgeLocked(index, acknowledged)) return false;
    }
    addEvent(EventKind::Acknowledgement, acknowledged);
    return true;
}

std::vector<std::string> CEventLog::addObserver(EventLogObserver& observer) {
    std::lock_guard lock(mutex_);
    observers_.add(observer);
    return lines_;
}

void CEventLog::removeObserver(EventLogObserver& observer) {
    // Not under mutex_: a removal from inside a notification, which holds it, must not wait for it.
    observers_.remove(observer);
}

}  // namespace kestrune
