#pragma once
// The script host over a script engine: prepares a script as compile, load,
// entry point and instance (the outcomes the task and block report), owns
// the script-error flag, and passes every run-time error to the program's
// report (the run-time error callback) with the name of the script.
//
// Threads: prepare on the main thread; the prepared scripts run on their
// owners' threads; the flag and the report from any thread (the report must
// hand the text on to the main thread itself).

#include <atomic>
#include <string>
#include <string_view>

#include "engine/script_host.h"

namespace kestrune {

class ScriptEngine;

// Where run-time errors go ("Error %lu in %s at line %u: %s" when running).
class ScriptErrorReport {
  public:
    virtual ~ScriptErrorReport() = default;
    virtual void scriptRunFailed(std::string_view scriptName, const ScriptRunResult& result) = 0;
};

// "Error 11 in TASK1,pre-task at line 3: Division by zero"; a step budget
// that ran out reads as the engine would word it.
std::string scriptRunErrorText(std::string_view scriptName, const ScriptRunResult& result);

class EngineScriptHost final : public ScriptHost {
  public:
    // Both must outlive the host; `report` may be null (errors are then only
    // in the run results).
    EngineScriptHost(ScriptEngine& engine, ScriptErrorReport* report);

    bool scriptsDisabled() const override { return disabled_.load(); }
    void disableScripts() override { disabled_.store(true); }
    // The start of a run clears the flag.
    void enableScripts() { disabled_.store(false); }

    ScriptPreparation prepare(const ScriptRequest& request) override;

  private:
    ScriptEngine& engine_;
    ScriptErrorReport* report_;
    std::atomic<bool> disabled_{false};
};

}  // namespace kestrune
