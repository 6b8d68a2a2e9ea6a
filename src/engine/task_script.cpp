#include "engine/task_script.h"

#include <initializer_list>

#include "engine/running_script.h"
#include "resources/message_ids.h"
#include "resources/string_table.h"

namespace kestrune {
namespace {

// Puts the arguments in place of the template's conversions, in order. Only
// the conversions the task's templates use are known; an argument is copied
// as it stands, never read as a format.
std::string fill(std::string_view format, std::initializer_list<std::string_view> args) {
    static constexpr std::string_view kConversions[] = {"%lu", "%u", "%s"};
    std::string out;
    auto next = args.begin();
    std::size_t i = 0;
    while (i < format.size()) {
        bool replaced = false;
        for (std::string_view c : kConversions) {
            if (format.substr(i, c.size()) != c) continue;
            if (next != args.end()) out += *next++;
            i += c.size();
            replaced = true;
            break;
        }
        if (!replaced) out += format[i++];
    }
    return out;
}

}  // namespace

std::string TaskScript::entryPoint(std::string_view taskName) const {
    return (kind_ == TaskScriptKind::PreTask ? "PRE_" : "POST_") + std::string(taskName);
}

std::string TaskScript::scriptName(std::string_view taskName) const {
    return std::string(taskName) + (kind_ == TaskScriptKind::PreTask ? ",pre-task" : ",post-task");
}

std::string TaskScript::templateText(std::string_view taskName) const {
    // The pre-task template keeps an indented empty line for the cursor.
    const std::string body = kind_ == TaskScriptKind::PreTask ? "    \r\n" : "\r\n";
    return "Sub " + entryPoint(taskName) + "()\r\n" + body + "End Sub\r\n";
}

std::string_view TaskScript::editorTitle() const {
    return kind_ == TaskScriptKind::PreTask ? "Pre-Task Script Editor" : "Post-Task Script Editor";
}

std::string TaskScript::failureFor(const ScriptPreparation& p, std::string_view taskName) const {
    const std::string name = scriptName(taskName);
    switch (p.outcome) {
        case ScriptPreparation::Outcome::CompileErrorAtLine:
            return fill(strings::text(kMsgScriptErrorAtLine),
                        {std::to_string(p.errorNumber), std::to_string(p.line), name});
        case ScriptPreparation::Outcome::CompileFailed:
            return strings::text(kind_ == TaskScriptKind::PreTask ? kMsgPreTaskScriptUnknownError
                                                                  : kMsgPostTaskScriptUnknownError);
        case ScriptPreparation::Outcome::ModuleNotCreated:
            return "Create script error at " + name + " script!";
        case ScriptPreparation::Outcome::EntryPointMissing:
            return "Entry point not found in " + name + " script!";
        case ScriptPreparation::Outcome::Absent:
        case ScriptPreparation::Outcome::Ready:
            break;
    }
    return {};
}

Code TaskScript::prepare(ScriptHost& host, ScriptContext& context, std::string_view taskName,
                         std::string& failureText, std::optional<std::uint64_t> stepBudget) {
    failureText.clear();
    release();
    if (text_.empty() || host.scriptsDisabled()) return kOk;
    const std::string entry = entryPoint(taskName);
    ScriptPreparation p = host.prepare({text_, entry, &context, stepBudget});
    switch (p.outcome) {
        case ScriptPreparation::Outcome::Absent:
            return kOk;
        case ScriptPreparation::Outcome::Ready:
            script_ = std::move(p.script);
            return kOk;
        default:
            failureText = failureFor(p, taskName);
            host.disableScripts();
            return kMsgSyntaxError;
    }
}

Code TaskScript::run(ScriptHost& host, std::string_view taskName) {
    if (script_ == nullptr || host.scriptsDisabled()) return kOk;
    bool failed = false;
    {
        RunningScriptSlot::Scope running(RunningScriptSlot::ofThisThread(), *script_);
        failed = script_->run(scriptName(taskName)).failed();
    }
    if (!failed) return kOk;
    host.disableScripts();
    return kMsgSyntaxError;
}

void TaskScript::release() {
    script_.reset();
}

}  // namespace kestrune
