#include "scripting/engine_script_host.h"

#include <memory>

#include "scripting/script_engine.h"

namespace kestrune {
namespace {

// The instance goes before the module it was made from.
class EnginePreparedScript final : public PreparedScript {
  public:
    EnginePreparedScript(std::unique_ptr<ScriptModule> module, std::unique_ptr<ScriptInstance> instance,
                         ScriptErrorReport* report)
        : module_(std::move(module)), instance_(std::move(instance)), report_(report) {}

    ScriptRunResult run(std::string_view scriptName) override {
        ScriptRunResult result = instance_->run(scriptName);
        if (result.failed() && report_ != nullptr) report_->scriptRunFailed(scriptName, result);
        return result;
    }
    void cancel() override { instance_->cancel(); }

  private:
    std::unique_ptr<ScriptModule> module_;
    std::unique_ptr<ScriptInstance> instance_;
    ScriptErrorReport* report_;
};

ScriptPreparation failed(ScriptPreparation::Outcome outcome, std::uint32_t number = 0, std::uint32_t line = 0) {
    ScriptPreparation p;
    p.outcome = outcome;
    p.errorNumber = number;
    p.line = line;
    return p;
}

}  // namespace

std::string scriptRunErrorText(std::string_view scriptName, const ScriptRunResult& result) {
    const std::string message = result.outcome == ScriptRunResult::Outcome::StepBudgetSpent && result.message.empty()
                                    ? std::string("Too many steps")
                                    : result.message;
    // The line is reported as the engine keeps it, in 16 bits.
    return "Error " + std::to_string(result.errorNumber) + " in " + std::string(scriptName) + " at line " +
           std::to_string(result.line & 0xFFFFu) + ": " + message;
}

EngineScriptHost::EngineScriptHost(ScriptEngine& engine, ScriptErrorReport* report)
    : engine_(engine), report_(report) {}

ScriptPreparation EngineScriptHost::prepare(const ScriptRequest& request) {
    using Outcome = ScriptPreparation::Outcome;
    ScriptCompilation compiled = engine_.compile(request.text);
    switch (compiled.outcome) {
        case ScriptCompilation::Outcome::SyntaxError:
            return failed(Outcome::CompileErrorAtLine, compiled.errorNumber, compiled.line);
        case ScriptCompilation::Outcome::Failed:
            return failed(Outcome::CompileFailed);
        case ScriptCompilation::Outcome::Compiled:
            break;
    }
    if (compiled.module == nullptr) return failed(Outcome::ModuleNotCreated);
    if (!compiled.module->hasEntryPoint(request.entryPoint)) return failed(Outcome::EntryPointMissing);
    ScriptInstanceOptions options;
    options.context = request.context;
    options.stepBudget = request.stepBudget;
    std::unique_ptr<ScriptInstance> instance = compiled.module->createInstance(request.entryPoint, options);
    // An engine that found the entry but cannot instantiate it could not
    // create the script either.
    if (instance == nullptr) return failed(Outcome::ModuleNotCreated);
    ScriptPreparation ready;
    ready.outcome = Outcome::Ready;
    ready.script = std::make_unique<EnginePreparedScript>(std::move(compiled.module), std::move(instance), report_);
    return ready;
}

}  // namespace kestrune
