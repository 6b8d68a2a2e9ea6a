// The scan task's own cost per block: one RunScan over a task of 1000
// trivial blocks, against a plain loop calling the same virtual Scan on the
// same blocks in the same order. A third variant registers the task with the
// simulated OPC client, which the task reads before every block, to show
// what that read costs on top.
//
// The task is started (its thread waits for a scan event that never comes)
// and RunScan is called on the benchmark's thread, as the task thread would.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/ratio_report.h"
#include "components/opc/opc_client.h"
#include "engine/scan_task.h"
#include "engine/scheduler.h"
#include "platform/clock.h"
#include "platform/main_queue.h"
#include "platform/tick_source.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/task_graph.h"
#include "taskmodel/node_host.h"

namespace kestrune {
namespace {

constexpr int kBlocks = 1000;

class BenchView : public NodeHost {
  public:
    explicit BenchView(NodeGraph* graph) : graph_(graph) {}
    std::string ownerName() const override { return "TASK1"; }
    NodeGraph* ownerGraph() const override { return graph_; }
    bool showCaptions() const override { return false; }
    bool showOrderNumbers() const override { return false; }
    void invalidate(const Rect&, bool) override {}

  private:
    NodeGraph* graph_;
};

// As little as a block can do: the running check every kind makes, and a count.
class TrivialBlock : public Block {
  public:
    explicit TrivialBlock(const NodeContext& context) : Block(context, kCalculationKind) {}
    Code Scan() override {
        if (!isRunning()) return kOk;
        ++scans_;
        return kOk;
    }

  private:
    std::uint64_t scans_ = 0;
};

// One strategy with one task of kBlocks blocks, started.
struct Strategy {
    explicit Strategy(bool withOpc) {
        if (withOpc) opc = makeOpcClient("sim");
        services.opc = opc.get();
        task = std::make_unique<ScanTask>(context, services);
        for (int i = 0; i < kBlocks; ++i) graph.Append(std::make_unique<TrivialBlock>(context));
        task->timing().recompute(5);
        if (task->Start() != kOk) std::abort();
        for (Node* node : task->scanList()) nodes.push_back(node);
    }
    ~Strategy() {
        task->Stop();
        while (!task->IsTaskStopped()) {
        }
        queue.drain([](const MainMessage&) {});
    }

    ManualTickSource ticks;
    ManualClock clock;
    MainQueue queue;
    Scheduler scheduler{ticks, clock, queue};
    std::unique_ptr<OpcClient> opc;
    BenchView view{&graph};
    ObjectRegistry registry;
    TaskGraph graph{registry};
    NodeContext context{registry, nullptr, nullptr, nullptr, true, &view, nullptr};
    TaskServices services{scheduler, queue};
    std::unique_ptr<ScanTask> task;
    std::vector<Node*> nodes;
};

Strategy& plain() {
    static Strategy s(false);
    return s;
}
Strategy& withOpc() {
    static Strategy s(true);
    return s;
}

void BM_PlainLoop(benchmark::State& state) {
    const std::vector<Node*>& nodes = plain().nodes;
    for (auto _ : state) {
        for (Node* node : nodes) benchmark::DoNotOptimize(node->Scan());
    }
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

void BM_RunScan(benchmark::State& state) {
    ScanTask& task = *plain().task;
    for (auto _ : state) task.RunScan();
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

void BM_RunScanWithOpc(benchmark::State& state) {
    ScanTask& task = *withOpc().task;
    for (auto _ : state) task.RunScan();
    state.SetItemsProcessed(state.iterations() * kBlocks);
}

BENCHMARK(BM_PlainLoop)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_RunScan)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_RunScanWithOpc)->ComputeStatistics("min", bench::fastest);

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    using namespace kestrune;
    if (!bench::initialize(argc, argv)) return 1;
    // Both strategies are built before anything is timed.
    plain();
    withOpc();
    bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\none scan of %d trivial blocks (CPU time, fastest repetition):\n", kBlocks);
    reporter.ratio("RunScan / plain virtual loop", "BM_RunScan", "BM_PlainLoop", "<= 1.5", kBlocks, "/block");
    reporter.ratio("RunScan with OPC reads / plain loop", "BM_RunScanWithOpc", "BM_PlainLoop",
                   "shows the OPC client's cost", kBlocks, "/block");
    benchmark::Shutdown();
    return 0;
}
