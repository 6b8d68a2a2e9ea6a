#include "app/run_error_log.h"

#include <cstdio>

#include "app/durable_file.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/paths.h"

namespace kestrune {
namespace {

bool sameDay(const std::tm& a, const std::tm& b) {
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday;
}

}  // namespace

std::string runErrorLine(std::string_view text, const std::tm& first, const std::tm& last, int count) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d:%02d ", first.tm_mon + 1, first.tm_mday,
                  (first.tm_year + 1900) % 100, first.tm_hour, first.tm_min, first.tm_sec);
    std::string line = buf;
    if (count > 1) {
        line += "To ";
        if (!sameDay(first, last)) {
            std::snprintf(buf, sizeof buf, "%02d/%02d/%04d ", last.tm_mon + 1, last.tm_mday,
                          last.tm_year + 1900);
            line += buf;
        }
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d Count=%d ", last.tm_hour, last.tm_min, last.tm_sec,
                      count);
        line += buf;
    }
    line += text;
    line += "\r\n";
    return line;
}

RunErrorLog::RunErrorLog(MainQueue& mainQueue, const Clock& clock, FileSystemCalls& calls)
    : mainQueue_(mainQueue), clock_(clock), calls_(calls) {}

Status RunErrorLog::start(std::string_view directory, bool enabled) {
    std::lock_guard lock(fileMutex_);
    path_ = resolveDataFile(directory, kRunErrorFileName);
    count_ = 0;
    waiting_.clear();
    // Texts left from the last run belong to it, not to this one.
    while (!queue_.empty()) queue_.get();
    enabled_.store(enabled);
    if (!enabled) return {};
    Status s = touchFile(path_);
    if (!s) enabled_.store(false);
    return s;
}

Status RunErrorLog::stop() {
    if (!enabled()) return {};
    Status result;
    for (std::size_t n = queue_.count(); n > 0; --n)
        if (Status s = take(queue_.get()); !s && result) result = s;
    std::lock_guard lock(fileMutex_);
    if (Status s = writeWaiting(); !s && result) result = s;
    count_ = 0;
    waiting_.clear();
    return result;
}

bool RunErrorLog::queue(std::string_view text) {
    if (!enabled()) return false;
    if (!queue_.put(text)) return false;
    mainQueue_.post(kMsgWriteRunError);
    return true;
}

Status RunErrorLog::writeNext() {
    // A message whose text was already written at Stop finds nothing.
    if (queue_.empty()) return {};
    return take(queue_.get());
}

Status RunErrorLog::take(std::string text) {
    std::lock_guard lock(fileMutex_);
    const std::tm now = clock_.localTime();
    if (count_ > 0 && text == waiting_) {
        last_ = now;
        ++count_;
        return {};
    }
    Status s = writeWaiting();
    waiting_ = std::move(text);
    first_ = last_ = now;
    count_ = 1;
    return s;
}

Status RunErrorLog::writeWaiting() {
    if (count_ == 0) return {};
    return appendDurably(path_, runErrorLine(waiting_, first_, last_, count_), calls_);
}

}  // namespace kestrune
