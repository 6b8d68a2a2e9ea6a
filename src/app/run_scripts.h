#pragma once
// The script engine's part of a run, as run control drives it: the run's
// reset of the script state, the main script before any task starts, its
// 500 ms timer while the run lasts, and the end of the run. The scripting
// module implements it; until then the application runs with
// NullRunScripts, which is a strategy without a main script.
//
// Main thread only.

#include "platform/status.h"

namespace kestrune {

class RunScripts {
  public:
    virtual ~RunScripts() = default;

    // Start of a run, first of the script steps: no script block is running,
    // the script-error flag is cleared and the engine is reset.
    virtual void beginRun() = 0;
    // Whether the strategy has a main script.
    virtual bool hasMainScript() const = 0;
    // Runs the main script to its end, before any task starts. 0, or 32905
    // when it did not compile or failed (it has shown why); the start is
    // then abandoned.
    virtual Code runMainScript() = 0;
    // Every 500 ms while a run with a main script lasts.
    virtual void mainScriptTimer() = 0;
    // The end of a run, and the undo of a start that failed.
    virtual void endRun() = 0;
};

class NullRunScripts final : public RunScripts {
  public:
    void beginRun() override {}
    bool hasMainScript() const override { return false; }
    Code runMainScript() override { return kOk; }
    void mainScriptTimer() override {}
    void endRun() override {}
};

}  // namespace kestrune
