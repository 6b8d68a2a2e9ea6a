// Tag database access against its baselines, measured in the same run:
//   handle write+read  vs  a raw atomic store+load, and the same under one
//                          std::mutex (packed values, and one value per cache
//                          line as the tag records have);
//   by-name write+read vs  two lookups in a std::unordered_map<std::string, ...>.
// 50,000 tags are visited in a fixed shuffled order, so every variant pays
// the same cache misses. While the benchmarks run, a background thread keeps
// writing other tags through their handles, as scan threads do.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "common/ratio_report.h"
#include "components/tagdb/tag_database.h"

namespace kestrune {
namespace {

constexpr int kTags = 50000;
constexpr int kTagsPerTask = 1000;
constexpr int kBackgroundTags = 1000;

struct Fixture {
    TagDatabase db;
    // A caller by name holds its task and tag names; tag i is
    // taskNames[i / kTagsPerTask] / tagNames[i % kTagsPerTask].
    std::vector<std::string> taskNames;
    std::vector<std::string> tagNames;
    std::vector<TagRecord*> handles;
    std::vector<int> order;  // shuffled visit order

    std::vector<std::atomic<float>> raw = std::vector<std::atomic<float>>(kTags);
    std::vector<float> guarded = std::vector<float>(kTags);
    // The same under one mutex, one value per cache line: the memory a
    // store with a record per tag walks, so that only the locking differs.
    struct alignas(64) Line {
        float value;
    };
    std::vector<Line> guardedLines = std::vector<Line>(kTags);
    std::mutex guard;
    std::vector<std::string> mapKeys;
    std::unordered_map<std::string, std::atomic<float>*> map;

    std::vector<TagRecord*> background;
    std::atomic<bool> stop{false};
    std::thread writer;

    Fixture() {
        for (int t = 0; t < kTags / kTagsPerTask; ++t) taskNames.push_back("TASK" + std::to_string(1 + t));
        for (int t = 0; t < kTagsPerTask; ++t) tagNames.push_back("CALC" + std::to_string(t));
        for (int i = 0; i < kTags; ++i) {
            const std::string& task = taskOf(i);
            const std::string& tag = tagOf(i);
            db.AddTag(task, tag, kTagFloat);
            handles.push_back(db.GetTagEntryPtr(task, tag));
            mapKeys.push_back(task + "/" + tag);
            map.emplace(mapKeys.back(), &raw[i]);
        }
        order.resize(kTags);
        for (int i = 0; i < kTags; ++i) order[i] = i;
        std::shuffle(order.begin(), order.end(), std::mt19937(20240611));

        for (int i = 0; i < kBackgroundTags; ++i) {
            db.AddTag("SCAN", "AI" + std::to_string(i), kTagFloatArray, 8);
            background.push_back(db.GetTagEntryPtr("SCAN", "AI" + std::to_string(i)));
        }
        writer = std::thread([this] {
            float values[8] = {};
            while (!stop.load(std::memory_order_relaxed)) {
                for (TagRecord* h : background) {
                    DB_PARAM p = DB_PARAM::Array(kTagFloat, values, 8);
                    db.SetDataExp(h, &p);
                    values[0] += 1.0f;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    ~Fixture() {
        stop = true;
        writer.join();
    }
    const std::string& taskOf(int i) const { return taskNames[i / kTagsPerTask]; }
    const std::string& tagOf(int i) const { return tagNames[i % kTagsPerTask]; }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Runs body(index) over the shuffled order, one tag per iteration.
template <class Body>
void visit(benchmark::State& state, Body body) {
    const auto& order = fixture().order;
    std::size_t at = 0;
    for (auto _ : state) {
        body(order[at]);
        if (++at == order.size()) at = 0;
    }
}

void BM_RawAtomic(benchmark::State& state) {
    auto& f = fixture();
    visit(state, [&](int i) {
        f.raw[i].store(static_cast<float>(i), std::memory_order_relaxed);
        benchmark::DoNotOptimize(f.raw[i].load(std::memory_order_relaxed));
    });
}

// A write and a read, each under the lock, as two calls to a store guarded
// by one mutex would do.
template <class Value>
void writeReadUnderMutex(std::mutex& guard, Value& slot, float value) {
    {
        std::lock_guard lock(guard);
        slot = value;
    }
    float v;
    {
        std::lock_guard lock(guard);
        v = slot;
    }
    benchmark::DoNotOptimize(v);
}

void BM_OneMutex(benchmark::State& state) {
    auto& f = fixture();
    visit(state, [&](int i) { writeReadUnderMutex(f.guard, f.guarded[i], static_cast<float>(i)); });
}

void BM_OneMutexPerLine(benchmark::State& state) {
    auto& f = fixture();
    visit(state,
          [&](int i) { writeReadUnderMutex(f.guard, f.guardedLines[i].value, static_cast<float>(i)); });
}

void BM_Handle(benchmark::State& state) {
    auto& f = fixture();
    visit(state, [&](int i) {
        DB_PARAM p = DB_PARAM::Float(static_cast<float>(i));
        f.db.SetDataExp(f.handles[i], &p);
        DB_PARAM back = DB_PARAM::Float(0);
        f.db.GetDataExp(f.handles[i], &back);
        benchmark::DoNotOptimize(back.value.fVal);
    });
}

void BM_UnorderedMap(benchmark::State& state) {
    auto& f = fixture();
    visit(state, [&](int i) {
        f.map.find(f.mapKeys[i])->second->store(static_cast<float>(i), std::memory_order_relaxed);
        benchmark::DoNotOptimize(f.map.find(f.mapKeys[i])->second->load(std::memory_order_relaxed));
    });
}

void BM_ByName(benchmark::State& state) {
    auto& f = fixture();
    visit(state, [&](int i) {
        DB_PARAM p = DB_PARAM::Float(static_cast<float>(i));
        f.db.SetData(f.taskOf(i), f.tagOf(i), &p);
        DB_PARAM back = DB_PARAM::Float(0);
        f.db.GetData(f.taskOf(i), f.tagOf(i), &back);
        benchmark::DoNotOptimize(back.value.fVal);
    });
}

BENCHMARK(BM_RawAtomic)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_OneMutex)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_OneMutexPerLine)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_Handle)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_UnorderedMap)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_ByName)->ComputeStatistics("min", bench::fastest);

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    using namespace kestrune;
    if (!bench::initialize(argc, argv)) return 1;
    fixture();  // build the 50,000 tags and start the background writer before timing
    bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf(
        "\nscalar write+read, %d tags, one background writer thread (CPU time, fastest repetition):\n",
        kTags);
    reporter.ratio("handle / raw atomic", "BM_Handle", "BM_RawAtomic", "as low as it goes");
    reporter.ratio("handle / one std::mutex", "BM_Handle", "BM_OneMutex", "< 1");
    reporter.ratio("handle / one std::mutex, line per tag", "BM_Handle", "BM_OneMutexPerLine", "< 1");
    reporter.ratio("by name / std::unordered_map", "BM_ByName", "BM_UnorderedMap", "<= 2");
    benchmark::Shutdown();
    return 0;
}
