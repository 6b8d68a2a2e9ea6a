// The cost of running a one-line block script once per scan, prepared once:
// the instance's run of a Sub that sets an output through the host, against
// the host's own call done directly from C++ (the floor), and against a
// fixed 1 µs budget. The script workloads against Lua and bwbasic are in
// run.sh next to this file.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "common/ratio_report.h"
#include "components/basic/basic_engine.h"

namespace kestrune {
namespace {

class OutputHost : public BasicHost {
  public:
    void call(BasicHostCall& c) override { outputs[c.argInteger(0) & 7] = c.argLong(1); }
    std::int32_t outputs[8]{};
};

BasicLibrary& library() {
    static BasicLibrary lib = [] {
        BasicLibrary made("Bench");
        BasicLibraryEntry out;
        out.kind = BasicEntryKind::Sub;
        out.name = "OutputL";
        out.id = 21;
        out.minArgs = 1;
        out.maxArgs = 2;
        made.add(out);
        return made;
    }();
    return lib;
}

void BM_ScriptOneLine(benchmark::State& state) {
    OutputHost host;
    const BasicCompileResult compiled =
        compileBasic("Dim n As Long\nSub SCR1()\n    n = n + 1: OutputL 3, n\nEnd Sub\n", &library());
    BasicInstance script(compiled.module, host);
    const int entry = script.findEntry("SCR1");
    for (auto _ : state) benchmark::DoNotOptimize(script.run(entry).error.number);
    if (host.outputs[3] == 0) state.SkipWithError("the script did not run");
}
BENCHMARK(BM_ScriptOneLine)->ComputeStatistics("min", bench::fastest);

void BM_DirectHostCall(benchmark::State& state) {
    OutputHost host;
    BasicHost& asHost = host;
    BasicValue args[2] = {BasicValue::integer(3), BasicValue::longValue(0)};
    std::int32_t n = 0;
    for (auto _ : state) {
        args[1] = BasicValue::longValue(++n);
        BasicHostCall call(nullptr, 21, 0, args, 0);
        asHost.call(call);
        benchmark::DoNotOptimize(host.outputs[3]);
    }
}
BENCHMARK(BM_DirectHostCall)->ComputeStatistics("min", bench::fastest);

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    using namespace kestrune;
    if (!bench::initialize(argc, argv)) return 1;
    bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\none-line script run per scan, prepared once (CPU time, fastest repetition):\n");
    reporter.ratio("script run / direct host call", "BM_ScriptOneLine", "BM_DirectHostCall", "as low as it goes");
    if (reporter.ns.count("BM_ScriptOneLine"))
        std::printf("RATIO %-42s %6.2f  (BM_ScriptOneLine %.2f ns / 1000 ns; aim < 1)\n", "script run / 1 us budget",
                    reporter.ns["BM_ScriptOneLine"] / 1000.0, reporter.ns["BM_ScriptOneLine"]);
    benchmark::Shutdown();
    return 0;
}
