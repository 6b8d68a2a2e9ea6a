#pragma once
// The event log: time-stamped lines about logins, locks, strategy starts and
// stops, network events and alarms, kept in "Kestrune.ELF" beside the
// strategy, listed for the event log window and the event log display items,
// and optionally printed. One per application.
//
// Threads: addEvent may be called from any thread. It formats the line,
// appends it to the list of lines and queues it for the working file (and
// the printer), posting 0x418 (and 0x419) to the main thread. Files and the
// printer are touched only on the main thread, by open/close and the two
// message handlers writePendingLines and printPendingLines. The list of
// lines and the selection sit behind one lock (mutex_); the two queues have
// their own. Observers (several front ends and display items) are told
// under mutex_, on the thread that changed the list, so that they see the
// changes in the order of the list; the observer list has its own lock, so
// an observer may be removed from any thread, also from inside its call. A full queue (50 lines waiting)
// drops the line from the file or the printer, never from the list.

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/durable_file.h"
#include "app/event_log_observer.h"
#include "app/event_printer.h"
#include "app/event_text.h"
#include "platform/message_queue.h"
#include "platform/observer_list.h"
#include "platform/status.h"

namespace kestrune {

class Clock;
class MainQueue;

// The run preference "print events".
enum class EventPrintMode : int { None = 0, AllEvents = 1, AlarmOnly = 2 };

// A stored print setting above 2 means no printing.
EventPrintMode eventPrintModeFrom(int stored);

class CEventLog {
  public:
    static constexpr std::string_view kPrintDocumentName = "My Document";

    // The printer is `lp` until setPrinter says otherwise. The files are
    // written through `calls`.
    CEventLog(MainQueue& mainQueue, const Clock& clock, FileSystemCalls& calls = FileSystemCalls::system());
    ~CEventLog();
    CEventLog(const CEventLog&) = delete;
    CEventLog& operator=(const CEventLog&) = delete;

    // ---- main thread: files ----
    // Opens the working file in `directory` ("" = the working directory),
    // loads its lines (replacing the list) and selects the last one. A
    // missing working file is created by the first line written, not here. With
    // more than 100 lines, the oldest 100 move to the history file. Returns
    // 32860 with the failing file's path; after a failed move the working
    // file is left whole and the log still works.
    Status open(std::string_view directory);
    void close();
    const std::string& workingFilePath() const { return workingPath_; }
    const std::string& historyFilePath() const { return historyPath_; }

    // Drains the lines waiting for the working file (message 0x418): each
    // is appended whole, then the file is synced. When the file is not open
    // or refuses a line, the line is dropped and 32860 with the path returned.
    Status writePendingLines();
    // Drains the lines waiting for the printer (message 0x419) and prints
    // them as one raw job "My Document". The lines are gone either way; a
    // failure is returned for the caller to report.
    Status printPendingLines();
    // Before a run that prints events: whether the printer can work.
    Status checkPrinter();
    void setPrinter(std::unique_ptr<EventPrinter> printer);

    // ---- any thread: preferences and events ----
    // Off until the strategy's options switch it on: then addEvent does nothing.
    void setEnabled(bool enabled) { enabled_.store(enabled); }
    bool enabled() const { return enabled_.load(); }
    void setPrintMode(EventPrintMode mode) { printMode_.store(mode); }
    EventPrintMode printMode() const { return printMode_.load(); }

    // Adds an event of `kind` about `subject` (see eventText). 0, or 32874
    // for a kind outside 1..9, or 34201 when memory ran out.
    Status addEvent(EventKind kind, std::string_view subject);
    Status addEvent(int kind, std::string_view subject);

    // The state of the last login, logout, lock, unlock or start entry.
    bool loggedIn() const { return loggedIn_.load(); }

    // ---- the list of lines (any thread) ----
    std::vector<std::string> lines() const;
    std::size_t lineCount() const;
    std::optional<std::string> line(std::size_t index) const;
    std::optional<std::size_t> selection() const;
    // Selects the line at `index` (ignored beyond the list).
    void select(std::size_t index);

    // Acknowledges the selected line: a line beginning with "*" gets "-"
    // instead and an acknowledgement event follows; any other line is left
    // alone. True when a line was acknowledged.
    bool acknowledgeSelected();
    // Selects the line at `index` and acknowledges it (message 0x41D from a
    // double click on an event log item).
    bool acknowledgeLine(std::size_t index);

    // Starts telling `observer` about changes and returns the current lines
    // (what a new item fills its list with), both under the lock, so no
    // change falls between them. The observer must stay alive until removed.
    std::vector<std::string> addObserver(EventLogObserver& observer);
    void removeObserver(EventLogObserver& observer);

  private:
    Status openExistingWorkingFile();
    bool acknowledgeLocked(std::size_t index, std::string& acknowledged);

    MainQueue& mainQueue_;
    const Clock& clock_;
    std::atomic<bool> enabled_{false};
    std::atomic<EventPrintMode> printMode_{EventPrintMode::None};
    std::atomic<bool> loggedIn_{false};

    CMessageQueue writeQueue_;
    CMessageQueue printQueue_;

    // Main thread only.
    FileSystemCalls& calls_;
    DurableAppendFile working_;
    std::string workingPath_;
    std::string historyPath_;
    std::unique_ptr<EventPrinter> printer_;

    mutable std::mutex mutex_;  // guards lines_, selection_; held while observers are told
    std::vector<std::string> lines_;
    std::optional<std::size_t> selection_;
    ObserverList<EventLogObserver> observers_;
};

}  // namespace kestrune
