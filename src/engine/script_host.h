#pragma once
// What the program needs of the script engine for the scripts of a run (the
// pre-task and post-task scripts of a task, the script of a Basic script
// block): prepare one (compile, load, find the entry point, make an
// instance bound to its context), run it, cancel a run from another thread,
// and the global script-error flag that a failing script sets for the rest
// of the run. A prepared script is an owned object: destroying it frees its
// instance and its module.
//
// The host only says what happened; the owner turns it into the texts the
// user reads and into its result codes (task_script.h). The scripting module
// supplies the real host over an engine (scripting/engine_script_host.h);
// NullScriptHost stands in while there is no engine and treats every script
// as absent.
//
// Threads: prepare on the main thread; run on the owner's thread; cancel
// from any thread; a prepared script is destroyed by whoever owns it while
// no run is in progress; the flag from any thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

class ScriptContext;

// How one run of a script ended.
struct ScriptRunResult {
    enum class Outcome {
        Finished,      // the Sub reached its end
        RuntimeError,  // the engine reported `errorNumber` at `line` (through its error report)
        StepBudgetSpent,  // the run took more steps than its budget allowed
        Cancelled,     // cancel() ended it
    };
    Outcome outcome = Outcome::Finished;
    std::uint32_t errorNumber = 0;
    std::uint32_t line = 0;
    std::string message = {};  // the engine's text of a run-time error

    // A run that did not end as the script meant it to: scripts are disabled.
    bool failed() const { return outcome == Outcome::RuntimeError || outcome == Outcome::StepBudgetSpent; }
};

// One script ready to run: its module and an instance of its entry point.
class PreparedScript {
  public:
    virtual ~PreparedScript() = default;
    // Runs the entry point to its end on the calling thread, publishing
    // `scriptName` ("TASK1,pre-task", "SCR1") for the engine's error
    // reports. A run-time error leaves the instance ready for the next run.
    virtual ScriptRunResult run(std::string_view scriptName) = 0;
    // Any thread: ends the run in progress at its next step. A cancel while
    // no run is in progress does not reach a later run.
    virtual void cancel() = 0;
};

// What is asked of the host for one script.
struct ScriptRequest {
    std::string_view text;
    std::string_view entryPoint;
    // The task or block the script belongs to; null for the main script.
    ScriptContext* context = nullptr;
    // The most steps one run may take; none: no limit.
    std::optional<std::uint64_t> stepBudget;
};

struct ScriptPreparation {
    enum class Outcome {
        Absent,              // nothing prepared and nothing wrong (no script engine)
        Ready,               // `script` is the prepared script
        CompileErrorAtLine,  // the compiler named `errorNumber` and `line`
        CompileFailed,       // any other compile failure
        ModuleNotCreated,    // the compiled code could not be loaded
        EntryPointMissing,   // the module has no Sub of the entry point's name
    };
    Outcome outcome = Outcome::Absent;
    std::uint32_t errorNumber = 0;
    std::uint32_t line = 0;
    std::unique_ptr<PreparedScript> script;
};

class ScriptHost {
  public:
    // The stack each script instance gets.
    static constexpr std::size_t kScriptStackBytes = 8192;

    virtual ~ScriptHost() = default;

    // Set by the first script failure of a run; while set no task or block
    // script is prepared or run and task threads skip their scan events.
    virtual bool scriptsDisabled() const = 0;
    virtual void disableScripts() = 0;

    // Compiles the text, loads the module, finds the entry point and creates
    // an instance of it with kScriptStackBytes of stack, the program's help
    // callback and the request's context. Whatever it made before a failure
    // it frees again itself.
    virtual ScriptPreparation prepare(const ScriptRequest& request) = 0;
};

// No script engine: every script counts as absent, so tasks run without them.
class NullScriptHost final : public ScriptHost {
  public:
    bool scriptsDisabled() const override { return disabled_.load(); }
    void disableScripts() override { disabled_.store(true); }
    ScriptPreparation prepare(const ScriptRequest&) override { return {}; }

  private:
    std::atomic<bool> disabled_{false};
};

}  // namespace kestrune
