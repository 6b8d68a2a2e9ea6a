// Loading a strategy of 10 tasks with 1,000 blocks each (and a wire between
// neighbours) from memory, against its baseline measured in the same run: a
// walk over the same bytes that only reads each record's tag and length and
// steps over it. The ratio says what making, numbering, publishing and
// joining the objects costs on top of touching the file once. CPU times,
// so that other work on a shared machine does not blur the ratio.
//
// Loading, saving and closing also run at 4,000 blocks per task: the cost per
// block there over that at 1,000 stays near 1 unless some step grows with the
// square of the object count. (Smaller strategies fit the caches and would
// make a linear step look like a quadratic one.)

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "components/tagdb/tag_database.h"
#include "document/strategy_document.h"
#include "document/strategy_file.h"
#include "taskmodel/block.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/block_factory.h"

namespace kestrune {
namespace {

constexpr int kTasks = 10;
constexpr int kBlocksPerTask = 1000;
constexpr int kLargeTask = 4000;

const BlockFactory& factory() {
    static const BlockFactory f = [] {
        BlockFactory made;
        made.Register(kTaskKind, [](const NodeContext& c) { return std::make_unique<Block>(c, kTaskKind); });
        made.Register(kPidKind, [](const NodeContext& c) {
            auto block = std::make_unique<Block>(c, kPidKind);
            block->setInputPorts({{0, 0, kMaskNumber, 0}});
            block->setOutputPorts({{kTypeFloat, 0}});
            block->createOutputValues();
            return block;
        });
        return made;
    }();
    return f;
}

struct World {
    TagDatabase tags;
    std::unique_ptr<StrategyDocument> document;
    World() {
        tags.AddTaskName(kVirtualTaskName);
        DocumentServices services{factory()};
        services.tags = &tags;
        document = std::make_unique<StrategyDocument>(services);
    }
};

// A loaded document of `blocksPerTask` blocks in each task.
void fillDocument(StrategyDocument& doc, int blocksPerTask) {
    for (int t = 0; t < kTasks; ++t) {
        StrategyTask& task = t == 0 ? doc.task(0) : *doc.addTask();
        Block* previous = nullptr;
        for (int b = 0; b < blocksPerTask; ++b) {
            const int x = 40 * (b % 40);
            const int y = 40 * (b / 40);
            Block* block = task.addBlock(kPidKind, {x, y, x + 32, y + 32}).block;
            if (previous != nullptr && b % 2 == 1) task.graph().Connect(*previous, 0, *block, 0);
            previous = block;
        }
    }
}

const std::vector<std::uint8_t>& sampleFile(int blocksPerTask = kBlocksPerTask) {
    static std::map<int, std::vector<std::uint8_t>> files;
    auto& bytes = files[blocksPerTask];
    if (bytes.empty()) {
        World world;
        fillDocument(*world.document, blocksPerTask);
        BinaryWriter out;
        writeStrategy(*world.document, out, 0);
        bytes = out.take();
    }
    return bytes;
}

void BM_LoadStrategy(benchmark::State& state) {
    const auto& bytes = sampleFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<World>();
        state.ResumeTiming();
        const StrategyReadResult result = readStrategy(*world->document, bytes);
        benchmark::DoNotOptimize(result.status.code);
        state.PauseTiming();
        if (!result.status.ok()) state.SkipWithError(result.status.context.c_str());
        world.reset();
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_SaveStrategy(benchmark::State& state) {
    World world;
    const StrategyReadResult loaded =
        readStrategy(*world.document, sampleFile(static_cast<int>(state.range(0))));
    if (!loaded.status.ok()) state.SkipWithError(loaded.status.context.c_str());
    for (auto _ : state) {
        BinaryWriter out;
        writeStrategy(*world.document, out, 0);
        benchmark::DoNotOptimize(out.size());
    }
}

// Closing: every block withdraws its tag and leaves its task and the registry.
void BM_CloseStrategy(benchmark::State& state) {
    const auto& bytes = sampleFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<World>();
        const StrategyReadResult result = readStrategy(*world->document, bytes);
        if (!result.status.ok()) state.SkipWithError(result.status.context.c_str());
        state.ResumeTiming();
        world.reset();
    }
}

// The baseline: every record's tag and length read and stepped over.
void BM_WalkRecords(benchmark::State& state) {
    const auto& bytes = sampleFile();
    for (auto _ : state) {
        BinaryReader in(bytes);
        in.skip(8 + 28 + 28);
        std::size_t records = 0;
        while (!in.failed() && in.remaining() >= 6) {
            const FourCC tag = in.tag();
            if (tag == fourcc("NETK")) break;  // the last record, of fixed size
            if (tag == fourcc("SWPL")) {
                in.skip(50);
                continue;
            }
            if (tag == fourcc("ETSK")) continue;
            in.skip(in.u16());
            ++records;
        }
        benchmark::DoNotOptimize(records);
    }
}

BENCHMARK(BM_LoadStrategy)->Arg(kBlocksPerTask)->Arg(kLargeTask)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveStrategy)->Arg(kBlocksPerTask)->Arg(kLargeTask)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloseStrategy)->Arg(kBlocksPerTask)->Arg(kLargeTask)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkRecords)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string& args = run.run_name.args;
            times_[run.run_name.function_name][args.empty() ? 0 : std::stoi(args)] = run.GetAdjustedCPUTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double load = time("BM_LoadStrategy", kBlocksPerTask);
        const double walk = time("BM_WalkRecords", 0);
        if (load > 0 && walk > 0) {
            std::printf("RATIO load/walk %.1f (load %.2f ms CPU for %d blocks in %d tasks)\n", load / walk,
                        load, kTasks * kBlocksPerTask, kTasks);
        }
        for (const char* step : {"BM_LoadStrategy", "BM_SaveStrategy", "BM_CloseStrategy"}) {
            const double usual = time(step, kBlocksPerTask);
            const double large = time(step, kLargeTask);
            if (usual <= 0 || large <= 0) continue;
            std::printf("RATIO %s per block %d/%d %.2f (%.2f ms, %.2f ms CPU)\n", step + 3, kLargeTask,
                        kBlocksPerTask, (large / kLargeTask) / (usual / kBlocksPerTask), usual, large);
        }
    }

  private:
    double time(const std::string& function, int blocks) const {
        const auto f = times_.find(function);
        if (f == times_.end()) return 0;
        const auto b = f->second.find(blocks);
        return b != f->second.end() ? b->second : 0;
    }
    std::map<std::string, std::map<int, double>> times_;
};

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kestrune::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
