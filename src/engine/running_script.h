#pragma once
// The script a task thread is running now (its pre-task or post-task script,
// or the script of a Basic script block inside a scan), so that the stop
// poll on the main thread can end one that never ends. Whoever runs a
// script on a task thread holds a Scope around the run.
//
// Threads: a Scope on the task thread; cancel from any thread. The lock
// keeps a cancel from meeting the end of the scope, so a script is never
// cancelled after its owner may have freed it.

#include <mutex>

namespace kestrune {

class PreparedScript;

class RunningScriptSlot {
  public:
    class Scope {
      public:
        // No slot (not a task thread): nothing is marked.
        Scope(RunningScriptSlot* slot, PreparedScript& script);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        RunningScriptSlot* slot_;
        PreparedScript* outer_ = nullptr;
    };

    // Ends the script running now, if any (see PreparedScript::cancel).
    void cancel();

    // The slot of the task thread that calls, or null on any other thread.
    static RunningScriptSlot* ofThisThread();
    // Set by the task thread as it begins.
    static void setForThisThread(RunningScriptSlot* slot);

  private:
    std::mutex mutex_;
    PreparedScript* current_ = nullptr;
};

}  // namespace kestrune
