// Loading a strategy of 10 tasks with 1,000 blocks each (and a wire between
// neighbours) from memory, against its baseline measured in the same run: a
// walk over the same bytes that only reads each record's tag and length and
// steps over it. The ratio says what making, numbering, publishing and
// joining the objects costs on top of touching the file once. CPU times,
// so that other work on a shared machine does not blur the ratio.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
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

const std::vector<std::uint8_t>& sampleFile() {
    static const std::vector<std::uint8_t> bytes = [] {
        World world;
        StrategyDocument& doc = *world.document;
        for (int t = 0; t < kTasks; ++t) {
            StrategyTask& task = t == 0 ? doc.task(0) : *doc.addTask();
            Block* previous = nullptr;
            for (int b = 0; b < kBlocksPerTask; ++b) {
                const int x = 40 * (b % 40);
                const int y = 40 * (b / 40);
                Block* block = task.addBlock(kPidKind, {x, y, x + 32, y + 32}).block;
                if (previous != nullptr && b % 2 == 1) task.graph().Connect(*previous, 0, *block, 0);
                previous = block;
            }
        }
        BinaryWriter out;
        writeStrategy(doc, out, 0);
        return out.take();
    }();
    return bytes;
}

void BM_LoadStrategy(benchmark::State& state) {
    const auto& bytes = sampleFile();
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

BENCHMARK(BM_LoadStrategy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkRecords)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_name.function_name == "BM_LoadStrategy") load_ = run.GetAdjustedCPUTime();
            if (run.run_name.function_name == "BM_WalkRecords") walk_ = run.GetAdjustedCPUTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (load_ > 0 && walk_ > 0) {
            std::printf("RATIO load/walk %.1f (load %.2f ms CPU for %d blocks in %d tasks)\n", load_ / walk_,
                        load_, kTasks * kBlocksPerTask, kTasks);
        }
    }

  private:
    double load_ = 0;
    double walk_ = 0;
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
