#pragma once
// The tasks' part of a run start: the timing of every task is recomputed for
// this run's resolution, then each task whose start mode is Immediate is
// started, in the order given. Tasks of the other start modes wait for the
// scheduler (delayed, daily) or for a request (inactive).
//
// Main thread, before the scheduler's threads start.

#include <span>
#include <vector>

#include "platform/status.h"

namespace kestrune {

class ScanTask;

struct TaskRunStart {
    Code code = kOk;             // the failing task's Start result
    ScanTask* failed = nullptr;  // the task that did not start
    std::vector<ScanTask*> started;
};

// At the first failure the tasks started so far are asked to stop; the
// caller polls them (Scheduler::allTasksStopped) before the run goes idle.
TaskRunStart startTasksForRun(std::span<ScanTask* const> tasks, int resolutionMs);

}  // namespace kestrune
