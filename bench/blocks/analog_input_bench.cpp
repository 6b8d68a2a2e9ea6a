// The cost of one Scan of an analog input block on the simulated board
// against the same work written inline, measured in the same run. The block
// reads channel 0 (the first-order plant) with scaling off, so its own
// arithmetic is nothing but the copy of the reading; what the inline
// baseline keeps is the device read itself: the range configured and read
// through the driver, exactly the two calls the block makes. The
// "published" baseline adds the data movement a block cannot avoid: the
// channel's output value and the 32-element tag written through its handle.
// Every variant moves the board's clock on by one 100 ms scan, so the plant
// integrates the same step each time.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_support.h"
#include "blocks/block_services.h"
#include "blocks/io/analog_input_block.h"
#include "components/driver/device_list_driver.h"
#include "components/driver/sim_clock.h"
#include "components/driver/standard_device_types.h"
#include "components/tagdb/tag_database.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/task_graph.h"

namespace kestrune {
namespace {

constexpr std::chrono::milliseconds kScan{100};

// The default device list in a directory of its own, so that the user's list
// cannot change what is measured.
std::filesystem::path benchDeviceList() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("kestrune_bench_ai_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir / "devices.ini";
}

struct AiStrategy {
    std::filesystem::path list = benchDeviceList();
    std::shared_ptr<ManualSimClock> clock = std::make_shared<ManualSimClock>();
    DeviceListDriver driver{list, standardDeviceTypes(clock)};
    BlockServices services{&driver, nullptr, nullptr, nullptr, nullptr};
    bench::BenchView view{&graph};
    TagDatabase tags;
    ObjectRegistry registry;
    TaskGraph graph{registry};
    NodeContext context{registry, nullptr, nullptr, nullptr, true, &view, &tags};
    AnalogInputBlock* ai = nullptr;
    DeviceHandle handle = 0;

    AiStrategy() {
        auto block = std::make_unique<AnalogInputBlock>(context, services);
        ai = block.get();
        graph.Append(std::move(block));
        IoSource source;
        source.deviceNumber = 0;
        ai->setSource(source);
        ai->Start();
        std::string description;
        driver.deviceOpen(0, 0, handle, description);
    }
    ~AiStrategy() {
        ai->Stop();
        driver.deviceClose(handle);
        std::filesystem::remove_all(list.parent_path());
    }
};

AiStrategy& aiStrategy() {
    static AiStrategy s;
    return s;
}

// The block's two driver calls for channel 0 at gain code 0.
float readChannel0(AiStrategy& s, std::array<float, 1>& reading) {
    static constexpr std::array<std::uint16_t, 1> kGain{0};
    s.driver.maiConfig(s.handle, {1, 0, kGain});
    s.driver.maiVoltageIn(s.handle, {1, 0, kGain, 0, reading});
    return reading[0];
}

void BM_AiInline(benchmark::State& state) {
    AiStrategy& s = aiStrategy();
    std::array<float, 1> reading{};
    for (auto _ : state) {
        s.clock->advance(kScan);
        float value = readChannel0(s, reading);
        benchmark::DoNotOptimize(value);
    }
}

void BM_AiInlinePublished(benchmark::State& state) {
    AiStrategy& s = aiStrategy();
    static bench::Published io(s.tags, "AI", static_cast<std::uint16_t>(kAiChannels));
    std::array<float, 1> reading{};
    for (auto _ : state) {
        s.clock->advance(kScan);
        io.output.setFloat(readChannel0(s, reading), 0);
        benchmark::DoNotOptimize(io.tag.write(io.output));
    }
}

void BM_AiBlockScan(benchmark::State& state) {
    AiStrategy& s = aiStrategy();
    for (auto _ : state) {
        s.clock->advance(kScan);
        benchmark::DoNotOptimize(s.ai->Scan());
    }
}

BENCHMARK(BM_AiInline)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_AiInlinePublished)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_AiBlockScan)->ComputeStatistics("min", bench::fastest);

}  // namespace
}  // namespace kestrune
