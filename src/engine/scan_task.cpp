#include "engine/scan_task.h"

#include <algorithm>
#include <thread>
#include <unordered_set>
#include <vector>

#include "engine/scan_result.h"
#include "engine/scheduler.h"
#include "engine/task_fed_items.h"
#include "engine/task_requests.h"
#include "resources/message_box.h"
#include "resources/message_ids.h"
#include "taskmodel/block_factory.h"
#include "taskmodel/node_graph.h"

namespace kestrune {
namespace {

NullScriptHost& noScripting() {
    static NullScriptHost host;
    return host;
}

}  // namespace

ScanTask::ScanTask(const NodeContext& context, const TaskServices& services)
    : Block(context, kTaskKind), services_(services) {
    TaskThreadBody& body = *this;
    thread_ = std::make_unique<TaskThread>(*this, body, services_.scheduler, services_.mainQueue);
    if (services_.network != nullptr) network_ = services_.network->createClientHandle(name());
    // Last, so that the scheduler never sees a task that is not yet whole.
    services_.scheduler.addTask(this);
}

ScanTask::~ScanTask() {
    const bool known = services_.scheduler.removeTask(this);
    services_.scheduler.removeRunningTask(this);
    // Ends a thread that is still there (its post-task script runs) before
    // anything it uses goes.
    thread_.reset();
    releaseScripts();
    scanList_.Clear();
    if (networkRunning_) network_->endRun();
    if (!known && context().ui != nullptr) showMessageBox(*context().ui, kMsgWrongTask);
}

ScriptHost& ScanTask::scripts() const {
    return services_.scripts != nullptr ? *services_.scripts : noScripting();
}

void ScanTask::reportText(std::string_view text) const {
    if (services_.run != nullptr) services_.run->reportText(text);
}

// ---- start ----

Code ScanTask::Start() {
    if (thread_->state() != TaskThreadState::Stopped || thread_->hasThread()) return kOk;
    registerOpcGroup();
    buildScanList();
    Code result = startNodes();
    if (result == kOk) result = prepareScripts();
    if (result != kOk) {
        stopScanList();
        releaseScripts();
        return result;
    }
    if (network_ != nullptr) {
        network_->beginRun(timing_.periodMs());
        networkRunning_ = true;
    }
    // A start while the scheduler runs begins a fresh period; the run start
    // has recomputed the timing of every task before any of them starts.
    timing_.resetRunCounters();
    if (!thread_->start(timing_.threadPriority())) {
        stopScanList();
        releaseScripts();
        if (networkRunning_) network_->endRun();
        networkRunning_ = false;
        return kMsgOutOfMemory;
    }
    services_.scheduler.addRunningTask(this);
    if (services_.run != nullptr) services_.run->taskStarted(*this);
    waitForThreadToSettle();
    return kOk;
}

void ScanTask::registerOpcGroup() {
    opcRegistered_ = false;
    opcHandle_ = 0;
    if (services_.opc == nullptr) return;
    const Code code = services_.opc->addTaskToList(name(), opc_, opcHandle_);
    if (code == kOk) {
        opcRegistered_ = true;
        return;
    }
    // The task's blocks may use no OPC item at all, so the task still runs;
    // the user learns of it as a run error of the task.
    postRunError(services_.mainQueue, code, *this);
}

void ScanTask::buildScanList() {
    scanList_.Clear();
    std::vector<Node*> blocks;
    if (NodeGraph* graph = host() != nullptr ? host()->ownerGraph() : nullptr) {
        for (GraphObject* object : graph->objects()) {
            if (!object->hasFlag(kFlagBlock) || object == this) continue;
            if (Node* node = object->asNode()) blocks.push_back(node);
        }
    }
    // Stable: of two blocks with the same number, the one listed first scans first.
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const Node* a, const Node* b) { return a->order() < b->order(); });
    for (Node* node : blocks) scanList_.AddTail(node);
    if (services_.displayItems == nullptr) return;
    std::unordered_set<std::uint32_t> ids;
    for (const Node* node : blocks) ids.insert(node->id());
    for (Node* item : takeFedItems(*services_.displayItems, ids, instanceNumber())) scanList_.AddTail(item);
}

Code ScanTask::startNodes() {
    for (Node* node : scanList_) {
        if (const Code code = node->Start(); code != kOk) return code;
    }
    return kOk;
}

Code ScanTask::prepareScripts() {
    for (TaskScript* script : {&preScript_, &postScript_}) {
        std::string failure;
        const Code code = script->prepare(scripts(), *this, name(), failure, services_.scriptStepBudget);
        if (code != kOk) {
            reportText(failure);
            return code;
        }
    }
    return kOk;
}

void ScanTask::stopScanList() {
    while (scanList_.First() == kOk) {
        if (Node* node = scanList_.RemoveCurrent()) node->Stop();
    }
}

void ScanTask::releaseScripts() {
    preScript_.release();
    postScript_.release();
}

void ScanTask::waitForThreadToSettle() const {
    // Lets the thread reach its wait, so that the scheduler finds it ready
    // at its next tick; a thread that has not got there by then is simply
    // signalled a tick later.
    const auto deadline = std::chrono::steady_clock::now() + kStartSettle;
    while (thread_->state() == TaskThreadState::Stopped && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

// ---- stop ----

Code ScanTask::Stop() {
    thread_->requestStop();
    return kOk;
}

bool ScanTask::IsTaskStopped() {
    switch (thread_->pollStopped(timing_.periodTicks())) {
        case TaskThread::StopPoll::NotYetReportStuck:
            reportText(TaskThread::cannotStopText(name()));
            // A script that never ends (a task script, or a block's inside a
            // scan) would hold the stop for ever, so it is ended here.
            thread_->cancelRunningScript();
            return false;
        case TaskThread::StopPoll::NotYet:
            return false;
        case TaskThread::StopPoll::Stopped:
            break;
    }
    stopScanList();
    services_.scheduler.removeRunningTask(this);
    if (networkRunning_) network_->endRun();
    networkRunning_ = false;
    return true;
}

std::int32_t ScanTask::RequestTaskStart(bool wait) {
    return requestTaskStart(*this, services_.mainQueue, wait);
}

std::int32_t ScanTask::RequestTaskStop(bool wait) {
    return requestTaskStop(*this, services_.mainQueue, wait);
}

// ---- the thread's work ----

void ScanTask::RunScan() {
    OpcClient* const opc = opcRegistered_ ? services_.opc : nullptr;
    TaskFedItems* const items = services_.displayItems;
    const std::uint16_t self = instanceNumber();
    for (Node* node : scanList_) {
        if (opc != nullptr) opc->taskRead(opcHandle_);
        if (isSharedTrendKind(node->kind()) && (items == nullptr || items->ownerTask(*node) != self))
            continue;
        const Code result = node->Scan();
        if (result != kOk) reportScanResult(services_.mainQueue, result, *node);
    }
    if (network_ != nullptr) network_->fetchGroupData();
}

Code ScanTask::runPreTaskScript() {
    return preScript_.run(scripts(), name());
}

void ScanTask::finishScripts() {
    postScript_.run(scripts(), name());
    releaseScripts();
}

bool ScanTask::scriptsDisabled() const {
    return scripts().scriptsDisabled();
}

bool ScanTask::runPaused() const {
    return services_.run != nullptr && services_.run->runPaused();
}

// ---- registration ----

Status registerEngineKinds(BlockFactory& factory, const TaskServices& services) {
    return factory.Register(kTaskKind, [&services](const NodeContext& context) -> std::unique_ptr<Block> {
        return std::make_unique<ScanTask>(context, services);
    });
}

}  // namespace kestrune
