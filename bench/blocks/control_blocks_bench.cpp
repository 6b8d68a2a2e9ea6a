// The cost of one Scan of the PID and calculation blocks against the same
// arithmetic written inline, measured in the same run (the analog input's
// are in analog_input_bench.cpp; main, here, prints every ratio). A block scan adds to
// the arithmetic what a block does around it: reading the wired source
// through its cached pointer, storing its output value and writing its tag
// through the tag handle. A second baseline does exactly that data movement
// around the inline arithmetic ("published"), so that the ratio against it
// is what the block itself costs beyond its unavoidable work.
//   PID:         position form with filter, rate clamp and clamps, fed a
//                varying process value;
//   calculation: "/" in floating point on two wired analog sources.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench_support.h"

#include "blocks/control/calculation_block.h"
#include "blocks/control/pid_block.h"
#include "components/tagdb/tag_database.h"
#include "taskmodel/block_catalogue.h"
#include "taskmodel/object_registry.h"
#include "taskmodel/tag_publication.h"
#include "taskmodel/task_graph.h"

namespace kestrune {
namespace {

constexpr std::size_t kSamples = 64;
constexpr double kPeriodMs = 100.0;

// Process values that keep the controller busy: around the setpoint, never settled.
const std::array<float, kSamples>& samples() {
    static const std::array<float, kSamples> values = [] {
        std::array<float, kSamples> v{};
        for (std::size_t i = 0; i < kSamples; ++i)
            v[i] = 10.0f + 3.0f * std::sin(0.37f * static_cast<float>(i));
        return v;
    }();
    return values;
}

PidSettings pidSettings() {
    PidSettings s;
    s.p = 1.5;
    s.i = 4.0;
    s.d = 0.01;
    s.highClamp = 50.0;
    s.lowClamp = -50.0;
    s.setpoint = 10.0;
    s.filter = 0.2;
    s.rateClamp = 6000.0;
    return s;
}

// A wired source whose value the benchmark sets.
class SourceBlock : public Block {
  public:
    explicit SourceBlock(const NodeContext& context) : Block(context, kTagBlockKind) {
        setOutputPorts({{kTypeFloat, 0}});
        createOutputValues();
    }
};

// One task with a PID fed by one source and a calculation fed by two.
struct Strategy {
    bench::BenchView view{&graph};
    TagDatabase tags;
    ObjectRegistry registry;
    TaskGraph graph{registry};
    NodeContext context{registry, nullptr, nullptr, nullptr, true, &view, &tags};
    SourceBlock* feedback = nullptr;
    SourceBlock* x = nullptr;
    SourceBlock* y = nullptr;
    PidBlock* pid = nullptr;
    CalculationBlock* calc = nullptr;

    template <class K, class... Args>
    K* add(Args&&... args) {
        auto block = std::make_unique<K>(context, std::forward<Args>(args)...);
        K* made = block.get();
        graph.Append(std::move(block));
        return made;
    }

    Strategy() {
        feedback = add<SourceBlock>();
        x = add<SourceBlock>();
        y = add<SourceBlock>();
        pid = add<PidBlock>([](const NodeContext&) { return static_cast<std::int32_t>(kPeriodMs); });
        calc = add<CalculationBlock>();
        pid->setSettings(pidSettings());
        calc->setOperator(static_cast<std::uint16_t>(CalcOperator::Divide));
        calc->setResultType(CalcResultType::Float);
        graph.Connect(*feedback, 0, *pid, PidBlock::kFeedback);
        graph.Connect(*x, 0, *calc, CalculationBlock::kOperand1);
        graph.Connect(*y, 0, *calc, CalculationBlock::kOperand2);
        for (Block* b : std::initializer_list<Block*>{feedback, x, y, pid, calc}) b->Start();
        y->outputValue(0)->setFloat(3.0f);
    }
};

Strategy& strategy() {
    static Strategy s;
    return s;
}

// ---- PID ----

// The position form as the controller computes it, with nothing around it.
struct InlinePid {
    double q0, q1, q2, dt, alpha, rate, high, low, sp;
    double e[4] = {};
    double sum = 0.0, yf = 0.0, out = 0.0;
    bool primed = false;

    InlinePid() {
        const PidSettings s = pidSettings();
        dt = kPeriodMs / 60000.0;
        q0 = s.p;
        q1 = s.p * s.i * dt;
        q2 = s.p * s.d / dt;
        alpha = s.filter;
        rate = s.rateClamp;
        high = s.highClamp;
        low = s.lowClamp;
        sp = s.setpoint;
    }
    double update(double pv) {
        const double f = primed ? (1.0 - alpha) * pv + alpha * yf : pv;
        const double err = sp - f;
        const double s1 = sum + err;
        const double slope = (err + 3.0 * e[0] - 3.0 * e[1] - e[2]) / 6.0;
        double u = q0 * err + q1 * s1 + q2 * slope;
        if (std::fabs((u - out) / dt) > rate) u = out + std::copysign(rate * dt, u - out);
        if (u > high) {
            u = high;
        } else if (u >= low) {
            sum = s1;
        } else {
            u = low;
        }
        e[2] = e[1];
        e[1] = e[0];
        e[0] = err;
        yf = f;
        primed = true;
        out = u;
        return u;
    }
};

void BM_PidInline(benchmark::State& state) {
    InlinePid pid;
    float input = 0.0f;
    float output = 0.0f;
    std::size_t i = 0;
    for (auto _ : state) {
        input = samples()[i++ % kSamples];
        benchmark::DoNotOptimize(input);
        output = static_cast<float>(pid.update(input));
        benchmark::DoNotOptimize(output);
    }
}

void BM_PidInlinePublished(benchmark::State& state) {
    static bench::Published io(strategy().tags, "PID");
    InlinePid pid;
    std::size_t i = 0;
    for (auto _ : state) {
        io.source.setFloat(samples()[i++ % kSamples]);
        io.output.setFloat(static_cast<float>(pid.update(io.source.toFloat())));
        benchmark::DoNotOptimize(io.tag.write(io.output));
    }
}

void BM_PidBlockScan(benchmark::State& state) {
    Strategy& s = strategy();
    OutputValue& input = *s.feedback->outputValue(0);
    std::size_t i = 0;
    for (auto _ : state) {
        input.setFloat(samples()[i++ % kSamples]);
        benchmark::DoNotOptimize(s.pid->Scan());
    }
}

// ---- calculation ----

void BM_CalcInline(benchmark::State& state) {
    float x = 0.0f;
    const float y = 3.0f;
    float result = 0.0f;
    float output = 0.0f;
    std::size_t i = 0;
    for (auto _ : state) {
        x = samples()[i++ % kSamples];
        benchmark::DoNotOptimize(x);
        if (std::fabs(static_cast<double>(y)) > 0.00001)
            result = static_cast<float>(static_cast<double>(x) / y);
        output = result;
        benchmark::DoNotOptimize(output);
    }
}

void BM_CalcInlinePublished(benchmark::State& state) {
    static bench::Published io(strategy().tags, "CALC");
    const OutputValue& y = *strategy().y->outputValue(0);
    float result = 0.0f;
    std::size_t i = 0;
    for (auto _ : state) {
        io.source.setFloat(samples()[i++ % kSamples]);
        const double x = io.source.toFloat();
        const double divisor = y.toFloat();
        if (std::fabs(divisor) > 0.00001) result = static_cast<float>(x / divisor);
        io.output.setFloat(result);
        benchmark::DoNotOptimize(io.tag.write(io.output));
    }
}

void BM_CalcBlockScan(benchmark::State& state) {
    Strategy& s = strategy();
    OutputValue& x = *s.x->outputValue(0);
    std::size_t i = 0;
    for (auto _ : state) {
        x.setFloat(samples()[i++ % kSamples]);
        benchmark::DoNotOptimize(s.calc->Scan());
    }
}

BENCHMARK(BM_PidInline)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_PidInlinePublished)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_PidBlockScan)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_CalcInline)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_CalcInlinePublished)->ComputeStatistics("min", bench::fastest);
BENCHMARK(BM_CalcBlockScan)->ComputeStatistics("min", bench::fastest);

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    using namespace kestrune;
    if (!bench::initialize(argc, argv)) return 1;
    strategy();
    bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nns per scan (CPU time, fastest repetition):\n");
    reporter.ratio("PID block scan / inline", "BM_PidBlockScan", "BM_PidInline", "<= 2");
    reporter.ratio("PID block scan / inline published", "BM_PidBlockScan", "BM_PidInlinePublished", "<= 2");
    reporter.ratio("calculation block scan / inline", "BM_CalcBlockScan", "BM_CalcInline", "<= 2");
    reporter.ratio("calculation block scan / inline published", "BM_CalcBlockScan", "BM_CalcInlinePublished",
                   "<= 2");
    reporter.ratio("analog input block scan / inline", "BM_AiBlockScan", "BM_AiInline", "<= 2");
    reporter.ratio("analog input block scan / inline published", "BM_AiBlockScan", "BM_AiInlinePublished",
                   "<= 2");
    benchmark::Shutdown();
    return 0;
}
