// The script host over an engine: what a preparation answers, runs that end
// by cancel from another thread or by their step budget, and run-time errors
// reaching the program's report. Meant for ThreadSanitizer too.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/script_context.h"
#include "scripting/engine_script_host.h"
#include "support/fake_script_engine.h"

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

class RecordingReport final : public ScriptErrorReport {
  public:
    void scriptRunFailed(std::string_view name, const ScriptRunResult& result) override {
        texts.push_back(scriptRunErrorText(name, result));
    }
    std::vector<std::string> texts;
};

class TaskContext final : public ScriptContext {
  public:
    Kind scriptContextKind() const override { return Kind::Task; }
    std::string scriptOwnerName() const override { return "TASK1"; }
    std::string scriptTaskName() const override { return "TASK1"; }
};

class EngineScriptHostTest : public ::testing::Test {
  protected:
    ScriptPreparation prepare(std::string_view text, std::optional<std::uint64_t> budget = std::nullopt) {
        return host.prepare({text, "PRE_TASK1", &context, budget});
    }

    FakeScriptEngine engine;
    RecordingReport report;
    EngineScriptHost host{engine, &report};
    TaskContext context;
};

TEST_F(EngineScriptHostTest, EachWayOfFailingToPrepareHasItsOutcome) {
    using Outcome = ScriptPreparation::Outcome;
    const ScriptPreparation syntax = prepare("Sub PRE_TASK1()\nsyntax 10047\nEnd Sub\n");
    EXPECT_EQ(syntax.outcome, Outcome::CompileErrorAtLine);
    EXPECT_EQ(syntax.errorNumber, 10047u);
    EXPECT_EQ(syntax.line, 2u);
    EXPECT_EQ(prepare("garbage").outcome, Outcome::CompileFailed);
    EXPECT_EQ(prepare("Sub PRE_TASK1()\nunloadable\nEnd Sub").outcome, Outcome::ModuleNotCreated);
    EXPECT_EQ(prepare("Sub POST_TASK1()\nEnd Sub").outcome, Outcome::EntryPointMissing);
    for (const char* text : {"garbage", "Sub X()\nEnd Sub"}) EXPECT_EQ(prepare(text).script, nullptr);

    const ScriptPreparation ready = prepare("Sub PRE_TASK1()\nstep\nEnd Sub");
    ASSERT_EQ(ready.outcome, Outcome::Ready);
    ASSERT_NE(ready.script, nullptr);
    EXPECT_EQ(engine.lastInstance->context(), &context) << "the instance carries the script's context";
    EXPECT_EQ(ready.script->run("TASK1,pre-task").outcome, ScriptRunResult::Outcome::Finished);
}

TEST_F(EngineScriptHostTest, ACancelFromAnotherThreadEndsARunThatNeverEnds) {
    ScriptPreparation p = prepare("Sub PRE_TASK1()\nloop\nEnd Sub");
    ASSERT_NE(p.script, nullptr);
    ScriptRunResult result;
    std::thread runner([&] { result = p.script->run("TASK1,pre-task"); });
    // Cancel only once the run is under way: a cancel before it would not reach it.
    const auto bound = std::chrono::steady_clock::now() + 10s;
    while (engine.steps.load() < 100 && std::chrono::steady_clock::now() < bound) std::this_thread::sleep_for(1ms);
    p.script->cancel();
    runner.join();
    EXPECT_EQ(result.outcome, ScriptRunResult::Outcome::Cancelled);
    EXPECT_FALSE(result.failed());
    EXPECT_TRUE(report.texts.empty()) << "a cancelled run is no script error";
}

TEST_F(EngineScriptHostTest, AStepBudgetEndsARunThatNeverEndsAsAFailure) {
    ScriptPreparation p = prepare("Sub PRE_TASK1()\nstep\nloop\nEnd Sub", 1000);
    ASSERT_NE(p.script, nullptr);
    const ScriptRunResult result = p.script->run("TASK1,pre-task");
    EXPECT_EQ(result.outcome, ScriptRunResult::Outcome::StepBudgetSpent);
    EXPECT_TRUE(result.failed());
    EXPECT_EQ(engine.steps.load(), 1000u);
    EXPECT_EQ(report.texts, std::vector<std::string>{"Error 0 in TASK1,pre-task at line 3: Too many steps"});
}

TEST_F(EngineScriptHostTest, ARunTimeErrorIsReportedWithTheScriptsNameAndLeavesTheScriptRunnable) {
    ScriptPreparation p = prepare("Sub PRE_TASK1()\nstep\nerror 11\nEnd Sub");
    ASSERT_NE(p.script, nullptr);
    for (int run = 0; run < 2; ++run) {
        const ScriptRunResult result = p.script->run("TASK1,pre-task");
        EXPECT_EQ(result.outcome, ScriptRunResult::Outcome::RuntimeError);
        EXPECT_EQ(result.errorNumber, 11u);
    }
    EXPECT_EQ(report.texts.size(), 2u);
    EXPECT_EQ(report.texts.front(), "Error 11 in TASK1,pre-task at line 3: fake error");
}

}  // namespace
}  // namespace kestrune::test
