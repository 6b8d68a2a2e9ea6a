// What keeps a script from hurting the program: cancel from another thread,
// the step budget, the bounds on recursion and memory, and one module run by
// several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

std::shared_ptr<const BasicModule> compiled(const std::string& source) {
    BasicCompileResult r = compileBasic(source);
    EXPECT_TRUE(r.status.ok()) << r.status.context;
    return r.module;
}

class SignallingHost : public BasicHost {
  public:
    void print(std::string_view) override { started.store(true); }
    std::atomic<bool> started{false};
};

TEST(BasicSafety, CancelFromAnotherThreadEndsAnEndlessLoop) {
    for (const char* loop : {"Do\nLoop", "While True\nWend", "again:\nGoTo again", "For i = 1 To 2\ni = 1\nNext",
                             "On Error GoTo h\nx = 1 / 0\nh:\nResume",
                             "Sub R()\nR2\nEnd Sub"}) {
        SCOPED_TRACE(loop);
        const std::string source = std::string(loop).rfind("Sub", 0) == 0
                                       ? "Sub Main()\nPrint\nOn Error Resume Next\nR\nEnd Sub\nSub R2()\nR\nEnd Sub\n" + std::string(loop)
                                       : inMain("Print\nOn Error Resume Next\n" + std::string(loop));
        SignallingHost host;
        BasicLimits limits;
        limits.maxCallDepth = 1 << 30;  // the mutual recursion must be stopped by the cancel, not the bound
        limits.stackValues = 1 << 16;
        BasicInstance script(compiled(source), host, limits);
        std::thread canceller([&] {
            while (!host.started.load()) std::this_thread::yield();
            script.cancel();
        });
        const BasicRunResult r = script.run("Main");
        canceller.join();
        // The recursion may also run out of its stack first; neither is trappable by On Error.
        EXPECT_TRUE(r.error.number == kBasicInterrupted || r.error.number == kBasicOutOfStack) << r.error.number;
    }
}

TEST(BasicSafety, StepBudgetEndsLongRunsOnly) {
    RecordingHost host;
    BasicLimits limits;
    limits.stepBudget = 1000;
    BasicInstance endless(compiled(inMain("On Error Resume Next\nDo\nLoop")), host, limits);
    EXPECT_EQ(endless.run("Main").error.number, kBasicStepBudget);
    BasicInstance shortRun(compiled(inMain("For i = 1 To 100\nNext\nPrint i")), host, limits);
    EXPECT_EQ(shortRun.run("Main").error.number, 0);
    // The budget is per run.
    EXPECT_EQ(shortRun.run("Main").error.number, 0);
    EXPECT_EQ(host.output, " 101 \n 101 \n");
}

TEST(BasicSafety, RecursionAndMemoryAreBounded) {
    expectCases({
        {"Dim a(1 To 3000, 1 To 3000)", "", kBasicOutOfMemory},
        {"s = \"ab\"\nDo\ns = s & s\nLoop", "", kBasicOutOfStringSpace},
    });
    const ScriptOutcome deep = runScript("Sub R(n)\nR n + 1\nEnd Sub\nSub Main()\nR 1\nEnd Sub\n");
    EXPECT_EQ(deep.errorNumber, kBasicOutOfStack);
    // A handler in the caller catches it, and the instance runs again afterwards.
    const BasicCompileResult c = compileBasic(
        "Function Depth(n)\nDepth = Depth(n + 1)\nEnd Function\n"
        "Sub Main()\nOn Error GoTo h\nx = Depth(1)\nh:\nPrint Err.Number\nEnd Sub\n");
    RecordingHost host;
    BasicLimits small;
    small.maxCallDepth = 50;
    BasicInstance script(c.module, host, small);
    EXPECT_EQ(script.run("Main").error.number, 0);
    EXPECT_EQ(script.run("Main").error.number, 0);
    EXPECT_EQ(host.output, " 28 \n 28 \n");
}

TEST(BasicSafety, OneModuleRunsInSeveralThreadsEachWithItsOwnState) {
    const auto module = compiled(
        "Dim calls As Long\n"
        "Function Fib(ByVal n As Long) As Long\ncalls = calls + 1\nIf n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)\nEnd Function\n"
        "Sub Main()\ncalls = 0\ns$ = \"\"\nFor i = 1 To 50\ns = s & Chr(65 + i Mod 26)\nNext\nPrint Fib(15); calls; Len(s)\nEnd Sub\n");
    std::vector<std::string> outputs(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < outputs.size(); ++t) {
        threads.emplace_back([&, t] {
            RecordingHost host;
            BasicInstance script(module, host);
            const int entry = script.findEntry("main");
            for (int run = 0; run < 5; ++run) script.run(entry);
            outputs[t] = host.output;
        });
    }
    for (std::thread& t : threads) t.join();
    std::string expected;
    for (int run = 0; run < 5; ++run) expected += " 610  1973  50 \n";
    for (const std::string& out : outputs) EXPECT_EQ(out, expected);
}

TEST(BasicSafety, UnknownEntriesAreRefused) {
    RecordingHost host;
    BasicInstance script(compiled(inMain("")), host);
    EXPECT_EQ(script.findEntry("Nope"), -1);
    EXPECT_FALSE(script.run("Nope").status.ok());
    EXPECT_FALSE(script.run(12345).status.ok());
    EXPECT_FALSE(script.run(0).status.ok());  // the module's own initialisation is no entry
}

}  // namespace
}  // namespace kestrune::testing_support
