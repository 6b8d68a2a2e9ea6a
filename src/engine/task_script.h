#pragma once
// One of a task's two scripts, the pre-task script (run before the task's
// first scan) or the post-task script (run as its thread ends): the text the
// user wrote, the prepared instance, and the rules for preparing, running and
// releasing it through the script host, with the texts the user is told.
//
// Threads: the text is edited and the script prepared on the main thread
// while the task is stopped; run and the final release happen on the task's
// thread, which is started after the preparation and joined before the next.

#include <string>
#include <string_view>

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

    // At task start. Nothing to do without text or while scripts are
    // disabled. A failure is described in `failureText`, disables scripts
    // for the rest of the run and answers 32905; otherwise 0, and the script
    // is ready when the host prepared one.
    Code prepare(ScriptHost& host, ScanTask& task, std::string_view taskName, std::string& failureText);
    bool ready() const { return ready_; }

    // On the task's thread: nothing (0) unless ready and scripts are enabled;
    // a script that reports an error disables scripts everywhere and
    // answers 32905.
    Code run(ScriptHost& host, std::string_view taskName);
    // Frees the prepared instance, if any.
    void release(ScriptHost& host);

  private:
    std::string failureFor(const ScriptPreparation& p, std::string_view taskName) const;

    TaskScriptKind kind_;
    std::string text_;
    ScriptHandle handle_;
    bool ready_ = false;
};

}  // namespace kestrune
