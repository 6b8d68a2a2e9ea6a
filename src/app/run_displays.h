#pragma once
// The displays' part of a run, as run control drives it. The display
// framework implements it; until then the application runs with
// NullRunDisplays, which is a strategy without displays (there is nothing to
// start, refresh or flash), not a stand-in that pretends to show anything.
//
// Main thread only.

#include <cstdint>
#include <vector>

#include "engine/scheduler_targets.h"
#include "platform/status.h"

namespace kestrune {

// Item kinds started before any task, so that a task's first scan finds
// them running.
inline constexpr std::int16_t kEarlyStartItemKinds[] = {401, 408, 411, 412, 417, 419, 429};

class RunDisplays {
  public:
    virtual ~RunDisplays() = default;

    // Before the tasks start: the items of kEarlyStartItemKinds. 0 or the
    // first failing item's code.
    virtual Code startEarlyItems() = 0;
    // After the tasks started: every display item. 0 or the first failing
    // item's code.
    virtual Code startItems() = 0;
    // The start went through: the displays switch to run mode.
    virtual void enterRunMode() = 0;
    // The end of a run, and the undo of a start that failed: every item that
    // started stops and the displays leave run mode. Called whatever of the
    // start was reached.
    virtual void stopItems() = 0;

    // What the scheduler refreshes and updates while the run lasts.
    virtual std::vector<DisplayRefreshTarget*> refreshTargets() = 0;
    virtual std::vector<TrendUpdateTarget*> trendItems() = 0;

    // Whether some item flashes (conditional texts): the main window's
    // 500 ms timer then runs and calls flashTick.
    virtual bool wantsFlashTimer() const = 0;
    virtual void flashTick() = 0;
};

class NullRunDisplays final : public RunDisplays {
  public:
    Code startEarlyItems() override { return kOk; }
    Code startItems() override { return kOk; }
    void enterRunMode() override {}
    void stopItems() override {}
    std::vector<DisplayRefreshTarget*> refreshTargets() override { return {}; }
    std::vector<TrendUpdateTarget*> trendItems() override { return {}; }
    bool wantsFlashTimer() const override { return false; }
    void flashTick() override {}
};

}  // namespace kestrune
