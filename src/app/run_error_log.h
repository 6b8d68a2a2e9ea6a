#pragma once
// The run-error log "RUNERR.LOG" beside the strategy. Each run error's text
// is queued from whatever reported it; the main thread writes them. A text
// that repeats the one before it exactly is not written again: the waiting
// message only counts it and remembers its time, and when a different text
// comes (or the run stops) one line is written for all of them:
//
//   03/07/05 10:00:00 To 10:00:04 Count=5 <text>
//
// the first occurrence as month/day/year-of-century and time, then, for a
// message seen more than once, "To", the date of the last occurrence with a
// four-digit year when it fell on another day, its time and the count.
//
// Threads: queue() from any thread (it posts 0x41A); everything else on the
// main thread. Each line is appended whole (or not at all) and synced.

#include <atomic>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/message_queue.h"
#include "platform/safe_file.h"
#include "platform/status.h"

namespace kestrune {

class Clock;
class MainQueue;

inline constexpr std::string_view kRunErrorFileName = "RUNERR.LOG";

// The line for a message first seen at `first` and, `count` times in all,
// last at `last`, with its "\r\n".
std::string runErrorLine(std::string_view text, const std::tm& first, const std::tm& last, int count);

class RunErrorLog {
  public:
    // The file is written through `calls`.
    RunErrorLog(MainQueue& mainQueue, const Clock& clock, FileSystemCalls& calls = FileSystemCalls::system());

    // At Start: forgets any waiting message and, when logging is enabled,
    // creates the file in `directory` if it is missing. 32860 with the path
    // when it cannot be created; the run must then not start.
    Status start(std::string_view directory, bool enabled);
    // At Stop: writes the texts still queued and the waiting message.
    Status stop();

    bool enabled() const { return enabled_.load(); }
    const std::string& path() const { return path_; }

    // Queues a text for the log and posts 0x41A. False when logging is off
    // or the queue is full (the text is lost).
    bool queue(std::string_view text);

    // Message 0x41A: takes the oldest queued text and folds it into the
    // waiting message or writes the waiting one and makes it the new one.
    Status writeNext();

  private:
    Status take(std::string text);
    Status writeWaiting();

    MainQueue& mainQueue_;
    const Clock& clock_;
    FileSystemCalls& calls_;
    std::atomic<bool> enabled_{false};
    CMessageQueue queue_;

    // Main thread only; the lock keeps the file to one writer all the same.
    std::mutex fileMutex_;
    std::string path_;
    std::string waiting_;
    std::tm first_{};
    std::tm last_{};
    int count_ = 0;  // 0: nothing waiting
};

}  // namespace kestrune
