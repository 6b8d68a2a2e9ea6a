#pragma once
// One of a task's two scripts, the pre-task script (run before the task's
// first scan) or the post-task script (run as its thread ends): the text the
// user wrote, the prepared instance, and the rules for preparing, running and
// releasing it through the script host, with the texts the user is told.
//
// Threads: the text is edited and the script prepared on the main thread
// while the task is stopped; run and the final release happen on the task's
// thread, which is started after the preparation and joined before the next.
// A run is marked in the task thread's running-script slot, through which
// the stop poll of a task that does not end cancels it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/script_context.h"
#include "engine/script_host.h"
#include "platform/status.h"

namespace kestrune {

enum class TaskScriptKind { PreTask, PostTask };

class TaskScript {
  public:
    explicit TaskScript(TaskScriptKind kind) : kind_(kind) {}
    TaskScript(const TaskScript&) = delete;
    TaskScript& operator=(const TaskScript&) = delete;

    TaskScriptKind kind() const { return kind_; }
    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    bool hasText() const { return !text_.empty(); }

    // "PRE_TASK1" / "POST_TASK1": the Sub the script must declare.
    std::string entryPoint(std::string_view taskName) const;
    // "TASK1,pre-task": how reports name the script.
    std::string scriptName(std::string_view taskName) const;
    // What a new script starts as: an empty Sub of the entry point's name.
    std::string templateText(std::string_view taskName) const;
    // The title of the script editor window.
    std::string_view editorTitle() const;

    // At task start, for the task `context` named `taskName`. Nothing to
    // do without text or while scripts are disabled. A failure is described
    // in `failureText`, disables scripts for the rest of the run and answers
    // 32905; otherwise 0, and the script is ready when the host prepared one.
    // A run may take at most `stepBudget` steps (none: no limit).
    Code prepare(ScriptHost& host, ScriptContext& context, std::string_view taskName, std::string& failureText,
                 std::optional<std::uint64_t> stepBudget = std::nullopt);
    bool ready() const { return script_ != nullptr; }

    // On the task's thread: nothing (0) unless ready and scripts are enabled;
    // a script that reports an error or spends its step budget disables
    // scripts everywhere and answers 32905. A cancelled run answers 0.
    Code run(ScriptHost& host, std::string_view taskName);
    // Frees the prepared script, if any.
    void release();

  private:
    std::string failureFor(const ScriptPreparation& p, std::string_view taskName) const;

    TaskScriptKind kind_;
    std::string text_;
    std::unique_ptr<PreparedScript> script_;
};

}  // namespace kestrune
