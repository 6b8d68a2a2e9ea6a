#pragma once
// The scan task: the task object of a task designer (kind 298, "TASK%d",
// record "BTSK") and the unit of periodic execution. It carries the task's
// timing, start and stop rules, its pre-task and post-task scripts and its
// OPC read settings; when it runs, its thread scans the task's blocks in
// ascending execution order, then the display items it feeds, once per
// period the scheduler grants.
//
// Life of a run: Start (main thread) registers the OPC group, builds the
// scan list, starts every node on it, prepares the scripts, begins the
// network group, starts the thread and enters the running-task list. The
// thread (TaskThread) runs the pre-task script before the first scan, calls
// RunScan on each scan event and the post-task script at its end. Stop asks
// the thread to end; the stop poll (IsTaskStopped, main thread) answers
// "stopped" once the thread has ended, after stopping every node of the scan
// list and leaving the running-task list. A thread that does not end is
// reported by the poll, which then also cancels the script the thread is
// running (RunningScriptSlot), so that a script that never ends cannot hold
// the stop.
//
// The task is the context of its own scripts (ScriptContext).
//
// Threads and what they own:
//  - main thread: the settings, Start, Stop, the stop poll, the dialog, the
//    record, and the scan list outside a run;
//  - the task thread: the scan list while the thread lives (built before it
//    starts, emptied after it has ended), the scripts' runs;
//  - the scheduler's master thread: the timing counters (see TaskTiming) and
//    the thread state, which is read under the task thread's state lock.
// The task never waits for a scheduler list while holding its own lock.
//
// The task enters the scheduler's list of all tasks when made and leaves it
// when destroyed; a task the scheduler does not know at that point shows
// 33006 "Wrong task". Tasks are made and destroyed while the scheduler's
// threads are stopped.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "components/opc/opc_client.h"
#include "engine/schedulable_task.h"
#include "engine/task_network.h"
#include "engine/task_script.h"
#include "engine/task_services.h"
#include "engine/task_thread.h"
#include "engine/task_timing.h"
#include "taskmodel/block.h"
#include "taskmodel/cursor_list.h"

namespace kestrune {

class NodeFactory;
using BlockFactory = NodeFactory;

class ScanTask final : public Block, public SchedulableTask, public ScriptContext, private TaskThreadBody {
  public:
    static constexpr std::uint32_t kMaxOpcUpdateRate = 10000000;
    static constexpr float kMaxOpcDeadBand = 100.0f;
    // How long Start lets a new thread reach its wait before returning.
    static constexpr std::chrono::milliseconds kStartSettle{10};

    // `services` must outlive the task.
    ScanTask(const NodeContext& context, const TaskServices& services);
    ~ScanTask() override;

    // ---- Node and Block operations ----
    // The payload after the block common part: see scan_task_record.cpp.
    // Copies the period, the duration, the scan limit, the start mode, the
    // delay, the daily time, the OPC settings and the reserved value.
    void CopyTo(GraphObject& other) const override;
    // The "Scan Task Setup" dialog; on OK the period is fitted to the
    // scheduler's resolution (applyEnteredPeriod).
    void Configure() override;
    Code Validate() override { return kOk; }
    // Everything up to the running thread, see the class comment. 0; the
    // first failing node's code (everything undone); 32905 when a script
    // failed to prepare; 32853 when no thread could be made. A task that
    // has a thread already (running, or its stop still pending) answers 0.
    Code Start() override;
    // The task itself is not scanned as a node.
    Code Scan() override { return kOk; }
    // Asks the thread to end (once); 0. The stop poll completes the stop.
    Code Stop() override;
    PropertySet properties() override;

    // ---- task operations ----
    // One scan of the scan list, on the task thread.
    void RunScan();
    // The stop poll (main thread): true once the thread has ended and the
    // task is cleaned up. A thread that does not end is reported ("... can
    // not be stopped ...") once per period in ticks plus 300 polls, and the
    // script it may be running is cancelled then.
    bool IsTaskStopped();
    // Start or stop through the main window (message 0x416), from any
    // thread; see task_requests.h.
    std::int32_t RequestTaskStart(bool wait);
    std::int32_t RequestTaskStop(bool wait);

    // ---- SchedulableTask ----
    std::string taskName() const override { return name(); }
    TaskTiming& timing() override { return timing_; }
    TaskThreadState threadState() const override { return thread_->state(); }
    void setScanEvent() override { thread_->setScanEvent(); }
    Code stop() override { return Stop(); }
    bool isStopped() override { return IsTaskStopped(); }
    ResetEvent& requestHandledEvent() override { return thread_->requestHandledEvent(); }
    // The task's Node: what the main window reads back with paramAs<Node>.
    const void* messageObject() const override { return static_cast<const Node*>(this); }

    // ---- ScriptContext ----
    ScriptContext::Kind scriptContextKind() const override { return ScriptContext::Kind::Task; }
    std::string scriptOwnerName() const override { return name(); }
    std::string scriptTaskName() const override { return name(); }

    // ---- settings ----
    const TaskTiming& timing() const { return timing_; }
    // Fits the entered period to the scheduler's resolution and, when it
    // had to change, tells the user ("The task scan period you typed will
    // be adjusted ...").
    PeriodAdjustment applyEnteredPeriod();

    const OpcServerProperties& opcSettings() const { return opc_; }
    // Values outside their ranges are brought into them (a dead band that
    // is not a number becomes 100).
    void setOpcSettings(const OpcServerProperties& settings);

    TaskScript& preTaskScript() { return preScript_; }
    const TaskScript& preTaskScript() const { return preScript_; }
    TaskScript& postTaskScript() { return postScript_; }
    const TaskScript& postTaskScript() const { return postScript_; }

    // Kept as loaded and copied; 0 for a new task.
    std::uint32_t reservedValue() const { return reserved_; }

    // Renames the task and its task in the tag database. An empty name, one
    // longer than 9 characters, or one the database refuses gives 34232.
    Status renameTask(std::string_view newName);

    // ---- run state ----
    // The nodes of the current run in scan order (empty outside a run).
    const CursorList<Node>& scanList() const { return scanList_; }
    bool stopping() const { return thread_->stopping(); }
    OpcTaskHandle opcTaskHandle() const { return opcHandle_; }
    TaskNetworkHandle* networkHandle() const { return network_.get(); }

  protected:
    Status LoadPayload(BinaryReader& in, int fileVersion, const RecordReader& record) override;
    Status SavePayload(BinaryWriter& out) const override;

  private:
    // TaskThreadBody, on the task thread.
    Code runPreTaskScript() override;
    void runScan() override { RunScan(); }
    void finishScripts() override;
    bool scriptsDisabled() const override;
    bool runPaused() const override;

    ScriptHost& scripts() const;
    void registerOpcGroup();
    void buildScanList();
    // Starts the scan list in order: 0 or the first failing node's code.
    Code startNodes();
    Code prepareScripts();
    // Stops every node of the scan list while emptying it.
    void stopScanList();
    void releaseScripts();
    void reportText(std::string_view text) const;
    void waitForThreadToSettle() const;

    static const PropertyTable<ScanTask>& propertyTable();

    TaskServices services_;
    TaskTiming timing_;
    OpcServerProperties opc_;
    TaskScript preScript_{TaskScriptKind::PreTask};
    TaskScript postScript_{TaskScriptKind::PostTask};
    std::uint32_t reserved_ = 0;

    CursorList<Node> scanList_;
    OpcTaskHandle opcHandle_ = 0;
    bool opcRegistered_ = false;
    std::unique_ptr<TaskNetworkHandle> network_;
    bool networkRunning_ = false;
    std::unique_ptr<TaskThread> thread_;
};

// Registers the task object's kind with the factory; the tasks it makes use
// `services`, which must outlive them.
Status registerEngineKinds(BlockFactory& factory, const TaskServices& services);

}  // namespace kestrune
