#pragma once
// Run control: Start, Stop, Pause, Resume, Lock and Unlock of the open
// strategy, their enabling rules, and the main window's end of what the
// scan threads post (run errors, task start and stop requests, network
// notices, the error limit, stop requests) with the timers that finish a
// stop.
//
// A run goes idle -> Start -> running (paused <-> running, locked <->
// unlocked) -> Stop -> stopping -> idle. Stop ends the scheduler's threads
// and asks every task to stop, then posts 0x4D1; on 0x4D1, while some task
// thread has not ended, timer 200 (50 ms) posts 0x4D1 again. Once they have
// all ended the run is undone, the held tag values are saved to the hold
// file and the stop event is written.
//
// Threads: every state change happens on the main thread (commands,
// handleMessage, onTimer, idle). Scan threads read the running, paused and
// locked flags (LockedFlags) and may call reportText and
// reportRunErrorText from anywhere; other threads otherwise only post
// messages. The observers (several front ends may watch one run) are told
// on the main thread, in the order they were added; one may be removed
// from any thread, also during a notification (see ObserverList).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/command_table.h"
#include "blocks/block_services.h"
#include "engine/task_services.h"
#include "platform/main_queue.h"
#include "platform/message_queue.h"
#include "platform/observer_list.h"
#include "platform/status.h"
#include "platform/strategy_lock.h"
#include "taskmodel/locked_flag.h"

namespace kestrune {

class CEventLog;
class DiskSpaceMonitor;
class OpcClient;
class RunDisplays;
class RunErrorLog;
class RunErrorReport;
class RunScripts;
class RunSecurity;
class ScanTask;
class Scheduler;
class StatusBarState;
class StrategyDocument;
class TagDatabase;
class TimerService;
class UserInterface;

// The main window's timers that run control sets.
inline constexpr int kTimerFinishStop = 200;
inline constexpr int kTimerPendingTaskStops = 201;
inline constexpr int kTimerCloseAfterStop = 202;
inline constexpr int kTimerExitAfterStop = 203;
inline constexpr int kTimerMainScript = 204;
inline constexpr std::chrono::milliseconds kStopRetryInterval{50};
inline constexpr std::chrono::milliseconds kMainScriptInterval{500};

// The run commands of the main window (also posted as kMsgCommand).
inline constexpr std::uint64_t kCmdStart = 32796;
inline constexpr std::uint64_t kCmdStop = 32797;
inline constexpr std::uint64_t kCmdPause = 31078;
inline constexpr std::uint64_t kCmdResume = 32830;
inline constexpr std::uint64_t kCmdLock = 32798;
inline constexpr std::uint64_t kCmdUnlock = 32842;

// A finished run-error text from a thread other than the main one (see
// reportText): the texts wait in run control's own queue.
inline constexpr MessageId kMsgRunErrorText = 0x41E;  // 1054

inline constexpr std::string_view kRunningNormallyText = "Running normally";
inline constexpr std::string_view kStoppedNormallyText = "Stopped normally";
inline constexpr std::string_view kPausedText = "Paused";
inline constexpr std::string_view kCannotStartTaskText = "Cannot start %s!";
inline constexpr std::string_view kLockedStatusText = "Press <ESC> followed by Password to login/unlock";

// Why the last stop began.
enum class StopReason {
    None,
    Command,      // the Stop command (also posted by a block as 32797)
    ErrorLimit,   // 0x411: more run errors than the strategy allows
    Request,      // 0x4D0: a block, a script or a task that could not start
    StartFailed,  // the scheduler's timer could not be started
    Shutdown,     // the application is ending
};

struct RunControlServices {
    TagDatabase& tags;
    Scheduler& scheduler;
    MainQueue& mainQueue;
    TimerService& timers;
    UserInterface& ui;
    CEventLog& eventLog;
    RunErrorLog& runErrorLog;
    RunErrorReport& errorReport;
    DiskSpaceMonitor& diskSpace;
    StatusBarState& statusBar;
    OpcClient* opc = nullptr;
    // None: a strategy without displays, without a main script, and
    // without security (see run_security.h).
    RunDisplays* displays = nullptr;
    RunScripts* scripts = nullptr;
    RunSecurity* security = nullptr;
};

// Told on the main thread about what the user would see change.
class RunObserver {
  public:
    virtual ~RunObserver() = default;
    // Started, stopping, stopped, paused, resumed, locked, unlocked, or a
    // task stopped on its own.
    virtual void runStateChanged() {}
    // A run error or network notice was reported: its text as status pane 0 shows it.
    virtual void runErrorReported(std::string_view text) {}
};

class RunControl final : public TaskRunHost, public RunErrorSink {
  public:
    // Sets itself as the timers' handler. The services must outlive it.
    explicit RunControl(const RunControlServices& services);
    ~RunControl() override;
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    // The strategy the commands act on (nullptr: none; Start refuses).
    // Changed only while idle.
    void attachDocument(StrategyDocument* document) { document_ = document; }
    StrategyDocument* document() const { return document_; }

    // The observer must stay alive until removed.
    void addObserver(RunObserver& observer) { observers_.add(observer); }
    void removeObserver(RunObserver& observer) { observers_.remove(observer); }
    // What 0x4D2 (close the strategy) and 0x4D3 (exit) finish once the run
    // is idle. Without a handler they do nothing.
    void setCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

    // ---- commands (main thread) ----
    // The run start. 0 when the strategy runs; otherwise the refusal's code
    // (the user has been told why) and the strategy is idle: 32878 a block
    // is not configured, 32913 the unsaved changes were not saved, 32972 or
    // the security module's code, 34257 too little disk space, 32860 the
    // run-error log cannot be made, the printer's, the main script's, a
    // display item's or a task's code, 33000 the scheduler's timer failed.
    Code start();
    // The run stop; nothing while idle or already stopping.
    void stop(StopReason reason = StopReason::Command);
    bool pause();
    bool resume();
    // 0, or why not (32972 without security; the security module's code).
    Code lock();
    // Asks for the login that unlocks (0x469 with 32842 to the main window).
    Code unlock();
    // The security module, after a login that unlocked.
    void setLocked(bool locked);
    // Closing the main window: refused with 32928 while a run is going.
    bool queryClose();

    // Stops and waits for the task threads, polling every 50 ms, for at most
    // `limit`; for the end of the program, when nobody drains the queue any
    // more. True once idle.
    bool stopAndWait(std::chrono::milliseconds limit);

    // ---- enabling rules (the command table's) ----
    // The run's part of what the rules look at; a strategy attached counts
    // as an active view. A front end adds what it shows.
    CommandState commandState() const;
    bool commandEnabled(std::uint64_t command) const;
    bool canStart() const { return commandEnabled(kCmdStart); }
    bool canStop() const { return commandEnabled(kCmdStop); }
    bool canPause() const { return commandEnabled(kCmdPause); }
    bool canResume() const { return commandEnabled(kCmdResume); }
    bool canLock() const { return commandEnabled(kCmdLock); }
    bool canUnlock() const { return commandEnabled(kCmdUnlock); }

    // ---- main thread: messages, timers, idle ----
    // 0x415, 0x416, 0x417, 0x411, 0x4D0 to 0x4D3, kMsgRunErrorText and the
    // run commands; false for any other message.
    bool handleMessage(const MainMessage& message);
    void onTimer(int id);
    // The disk-space watch, on every idle pass of the main loop.
    void idle();

    // ---- state ----
    bool running() const { return running_.get() != 0; }
    bool stopping() const { return stopping_.load(); }
    bool paused() const { return paused_.get() != 0; }
    bool locked() const { return locked_.get() != 0; }
    bool isIdle() const { return !running() && !stopping(); }
    std::int32_t errorCount() const;
    std::int32_t dataOverrunCount() const;
    StopReason lastStopReason() const { return stopReason_; }
    // How the last stop's save of the hold file went (kOk also when there
    // was nothing to save); a failure has been reported as a run error.
    const Status& lastHoldSave() const { return holdSave_; }
    // Tasks whose own stop (0x416) is still being polled.
    std::size_t pendingTaskStops() const { return pendingStops_.size(); }
    // Tasks of the strategy with their threads running now.
    std::size_t runningTaskCount() const;
    // The task objects of the strategy, in view order.
    std::vector<ScanTask*> scanTasks() const;

    // ---- TaskRunHost ----
    bool runPaused() const override { return paused(); }
    void taskStarted(const ScanTask& task) override;
    // Any thread.
    void reportText(std::string_view text) override;
    // ---- RunErrorSink ----
    void reportRunErrorText(std::string_view text) override { reportText(text); }

  private:
    // Start steps that undo themselves when a later step fails.
    Code checkBeforeStart();
    Code lockStrategy();
    Code prepareReports();
    Code startParticipants();
    void undoParticipants(const std::vector<ScanTask*>& started);
    void undoReports();
    bool waitForTasksToEnd();
    void finishStart();
    void showRunningStatus();
    // "Paused" or "Running normally" in the message pane.
    void showRunState();

    void finishStop();
    void finishAfterStop(MessageId message, int timer, const std::function<void()>& handler);
    void pollPendingStops();
    void handleTaskRequest(const MainMessage& message);
    void handleRunError(const MainMessage& message);
    void handleNetworkNotice(const MainMessage& message);
    void handleCommand(std::uint64_t command);
    void drainTextReports();
    void announceError(std::string_view text);
    void postOrRetry(MessageId message, int timer);

    bool onMainThread() const { return std::this_thread::get_id() == mainThread_; }
    std::string strategyName() const;
    std::string strategyDirectory() const;
    void writeStopEvent();
    void saveHeldValues();
    void changed();

    RunControlServices services_;
    RunDisplays& displays_;
    RunScripts& scripts_;
    StrategyDocument* document_ = nullptr;
    ObserverList<RunObserver> observers_;
    std::function<void()> closeHandler_;
    std::function<void()> exitHandler_;
    const std::thread::id mainThread_;

    LockedFlag running_;
    LockedFlag paused_;
    LockedFlag locked_;
    std::atomic<bool> stopping_{false};
    StopReason stopReason_ = StopReason::None;
    Status holdSave_;
    StrategyLock strategyLock_;
    std::vector<ScanTask*> pendingStops_;
    CMessageQueue textReports_;
};

}  // namespace kestrune
