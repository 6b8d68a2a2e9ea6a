#pragma once
// What the script host needs of a Basic engine, in the engine's own terms:
// compile a text into a module (or a syntax error with its number and line),
// find an entry point, make an instance of it, run it with a cancel flag and
// a step budget, and call back the host's extension functions by name. An
// adapter over our interpreter (components/basic, which knows nothing of
// this program) implements these three classes; EngineScriptHost turns them
// into the ScriptHost that tasks and blocks use.
//
// Threads: compile and createInstance on the main thread; an instance runs
// on one thread at a time; cancel from any thread. A module outlives every
// instance made from it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "engine/script_host.h"
#include "platform/status.h"

namespace kestrune {

class ExtensionLibrary;
class ScriptContext;

// How an instance is made.
struct ScriptInstanceOptions {
    std::size_t stackBytes = ScriptHost::kScriptStackBytes;
    // What the extension functions read from this instance (null: main script).
    ScriptContext* context = nullptr;
    // The most steps one run may take; none: no limit.
    std::optional<std::uint64_t> stepBudget;
};

class ScriptInstance {
  public:
    virtual ~ScriptInstance() = default;
    // Runs the entry point to its end. `scriptName` names the script in the
    // engine's run-time error reports. A run-time error is in the result and
    // the instance is ready for the next run.
    virtual ScriptRunResult run(std::string_view scriptName) = 0;
    // Any thread: the run in progress ends at its next step (Cancelled).
    virtual void cancel() = 0;
};

class ScriptModule {
  public:
    virtual ~ScriptModule() = default;
    // Whether the module declares a Sub of this name (the engine's own rule
    // for letter case).
    virtual bool hasEntryPoint(std::string_view name) const = 0;
    // Null when no instance can be made.
    virtual std::unique_ptr<ScriptInstance> createInstance(std::string_view entryPoint,
                                                           const ScriptInstanceOptions& options) = 0;
};

struct ScriptCompilation {
    enum class Outcome { Compiled, SyntaxError, Failed };
    Outcome outcome = Outcome::Failed;
    std::uint32_t errorNumber = 0;  // SyntaxError: the compiler's number and line
    std::uint32_t line = 0;
    // Compiled: the loaded module; null when the code could not be loaded.
    std::unique_ptr<ScriptModule> module;
};

class ScriptEngine {
  public:
    virtual ~ScriptEngine() = default;
    virtual ScriptCompilation compile(std::string_view text) = 0;
    // Makes the library's classes, functions, methods and properties known
    // to scripts; the engine calls back ExtensionLibrary::dispatch. The
    // library must outlive the engine's use of it.
    virtual Status registerExtensions(const ExtensionLibrary& library) = 0;
};

}  // namespace kestrune
