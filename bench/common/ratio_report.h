#pragma once
// What every benchmark program shares: our default flags (interleaved
// repetitions, aggregates only) and a reporter that keeps each benchmark's
// fastest repetition, so that main can print ratios against baselines
// measured in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kestrune::bench {

// Of several interleaved repetitions the fastest is the best estimate of each variant's cost.
inline double fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

// Initialises the library with our defaults first, so that the caller's own
// flags override them. False when the command line holds an unknown flag.
inline bool initialize(int argc, char** argv) {
    static char repetitions[] = "--benchmark_repetitions=7";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args{argv[0], repetitions, interleave, aggregates};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    return !benchmark::ReportUnrecognizedArguments(count, args.data());
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
                fromMinimum_.insert(name);
            } else if (run.run_type == Run::RT_Iteration && !fromMinimum_.count(name)) {
                ns[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints name / base; the times are shown divided by `perItems` items
    // called `item` (e.g. the blocks of one scan) when given.
    void ratio(const char* what, const char* name, const char* base, const char* aim, double perItems = 1,
               const char* item = "") const {
        const auto a = ns.find(name);
        const auto b = ns.find(base);
        if (a == ns.end() || b == ns.end() || b->second <= 0) return;
        std::printf("RATIO %-42s %6.2f  (%s %.2f ns%s / %s %.2f ns%s; aim %s)\n", what, a->second / b->second,
                    name, a->second / perItems, item, base, b->second / perItems, item, aim);
    }

    std::map<std::string, double> ns;

  private:
    std::set<std::string> fromMinimum_;
};

}  // namespace kestrune::bench
