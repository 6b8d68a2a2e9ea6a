#pragma once
// What the block benchmarks share: a task view that names the task, the data
// movement of a block scan written out by hand (for the "published"
// baselines), and the reporter that keeps each benchmark's fastest
// repetition so that main can print ratios measured in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "components/tagdb/tag_database.h"
#include "taskmodel/output_value.h"
#include "taskmodel/tag_publication.h"
#include "taskmodel/task_view_host.h"

namespace kestrune::bench {

class BenchView : public TaskViewHost {
  public:
    std::string taskName() const override { return "TASK1"; }
    bool showCaptions() const override { return true; }
    bool showOrderNumbers() const override { return false; }
    void invalidate(const Rect&, bool) override {}
};

// The data movement of a block scan without a block: a wired source value,
// an output value and a published tag of `count` elements written through
// its handle.
struct Published {
    OutputValue source{kTypeFloat};
    OutputValue output;
    TagPublication tag;

    Published(TagDatabase& tags, const char* name, std::uint16_t count = 1)
        : output(count > 1 ? kTypeFloatArray : kTypeFloat, count), tag(&tags) {
        tag.setShape({count > 1 ? kTagFloatArray : kTagFloat, count});
        tag.publish("BENCH", name);
        tag.attach("BENCH");
    }
};

// Of several interleaved repetitions the fastest is the best estimate of each variant's cost.
inline double fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

// Keeps each benchmark's CPU time per iteration: the "min" aggregate when
// there are repetitions, otherwise the single run.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
                ns[name] = run.GetAdjustedCPUTime();
                fromMinimum.insert(name);
            } else if (run.run_type == Run::RT_Iteration && !fromMinimum.count(name)) {
                ns[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void ratio(const char* what, const char* name, const char* base, const char* aim) const {
        const auto a = ns.find(name);
        const auto b = ns.find(base);
        if (a == ns.end() || b == ns.end() || b->second <= 0) return;
        std::printf("RATIO %-42s %6.2f  (%s %.1f ns / %s %.1f ns; aim %s)\n", what, a->second / b->second,
                    name, a->second, base, b->second, aim);
    }
    std::map<std::string, double> ns;
    std::set<std::string> fromMinimum;
};

}  // namespace kestrune::bench
