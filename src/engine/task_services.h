#pragma once
// What a scan task is given by the program around it: the scheduler it runs
// under, the main window's queue, the script host, and the optional pieces
// (run control, OPC client, network client, display items). A test or a
// headless tool leaves the optional ones out.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrune {

class MainQueue;
class OpcClient;
class ScanTask;
class Scheduler;
class ScriptHost;
class TaskFedItems;
class TaskNetworkClient;

// The application's run control as the tasks see it.
class TaskRunHost {
  public:
    virtual ~TaskRunHost() = default;
    // Asked by task threads before every scan: while paused they do not scan.
    virtual bool runPaused() const = 0;
    // Main thread, after a task has started: the application's running flag,
    // "Running normally" in status pane 0 and the error count in pane 1.
    virtual void taskStarted(const ScanTask& task) = 0;
    // Any thread: a finished text for the run-error report (a task that
    // cannot be stopped, a task script that failed to prepare).
    virtual void reportText(std::string_view text) = 0;
};

// Must outlive every task made with it.
struct TaskServices {
    Scheduler& scheduler;
    MainQueue& mainQueue;
    // No host: no scripting; every task script counts as absent.
    ScriptHost* scripts = nullptr;
    // No run host: never paused, nothing reported beyond the main queue.
    TaskRunHost* run = nullptr;
    // No OPC client: tasks register no OPC group and read none.
    OpcClient* opc = nullptr;
    // No network client: tasks have no network handle.
    TaskNetworkClient* network = nullptr;
    // No display items: tasks scan only their blocks.
    TaskFedItems* displayItems = nullptr;
    // The most steps one run of a task script may take; none: no limit (a
    // script that never ends is then cancelled by the stop poll).
    std::optional<std::uint64_t> scriptStepBudget = std::nullopt;
};

}  // namespace kestrune
