#pragma once
// What a scan task needs of the script engine for its pre-task and post-task
// scripts: prepare one (compile, load, find the entry point, make an
// instance), run it on the task's thread, release it, and the global
// script-error flag that a failing script sets for the rest of the run.
//
// The host only says what happened; the task turns it into the texts the
// user reads and into its result codes (task_script.h). The scripting module
// supplies the real host; NullScriptHost stands in while there is no engine
// and treats every script as absent.
//
// Threads: prepare and release of a failed preparation on the main thread;
// run and the final release on the task's thread; the flag from any thread.

#include <atomic>
#include <cstdint>
#include <string_view>

namespace kestrune {

class ScanTask;

// The engine's handles of one prepared script: its module and its instance.
struct ScriptHandle {
    std::uintptr_t module = 0;
    std::uintptr_t instance = 0;
};

struct ScriptPreparation {
    enum class Outcome {
        Absent,              // nothing prepared and nothing wrong (no script engine)
        Ready,               // `handle` holds the instance to run
        CompileErrorAtLine,  // the compiler named `errorNumber` and `line`
        CompileFailed,       // any other compile failure
        ModuleNotCreated,    // the compiled code could not be loaded
        EntryPointMissing,   // the module has no Sub of the entry point's name
    };
    Outcome outcome = Outcome::Absent;
    std::uint32_t errorNumber = 0;
    std::uint32_t line = 0;
    ScriptHandle handle;
};

class ScriptHost {
  public:
    // The stack each task script instance gets.
    static constexpr std::size_t kTaskScriptStackBytes = 8192;

    virtual ~ScriptHost() = default;

    // Set by the first script failure of a run; while set no task script is
    // prepared or run and task threads skip their scan events.
    virtual bool scriptsDisabled() const = 0;
    virtual void disableScripts() = 0;

    // Compiles `text`, loads the module, finds `entryPoint` and creates an
    // instance of it with kTaskScriptStackBytes of stack, the program's help
    // callback and `task` as its context. Whatever it made before a failure it
    // frees again itself.
    virtual ScriptPreparation prepare(std::string_view text, std::string_view entryPoint, ScanTask& task) = 0;
    // Runs the instance to completion on the calling thread, publishing
    // `scriptName` ("TASK1,pre-task") for the engine's error reports. True
    // when the script reported an error (its error state is reset again).
    virtual bool run(const ScriptHandle& handle, std::string_view scriptName) = 0;
    // Frees the instance and the module.
    virtual void release(const ScriptHandle& handle) = 0;
};

// No script engine: every script counts as absent, so tasks run without them.
class NullScriptHost final : public ScriptHost {
  public:
    bool scriptsDisabled() const override { return disabled_.load(); }
    void disableScripts() override { disabled_.store(true); }
    ScriptPreparation prepare(std::string_view, std::string_view, ScanTask&) override { return {}; }
    bool run(const ScriptHandle&, std::string_view) override { return false; }
    void release(const ScriptHandle&) override {}

  private:
    std::atomic<bool> disabled_{false};
};

}  // namespace kestrune
