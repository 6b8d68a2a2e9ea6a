#include "engine/task_run_start.h"

#include "engine/scan_task.h"

namespace kestrune {

TaskRunStart startTasksForRun(std::span<ScanTask* const> tasks, int resolutionMs) {
    TaskRunStart result;
    // A task whose thread is still there (its stop pending) keeps its counters.
    for (ScanTask* task : tasks)
        if (task->threadState() == TaskThreadState::Stopped) task->timing().recompute(resolutionMs);
    for (ScanTask* task : tasks) {
        if (task->timing().startMode() != StartMode::Immediate) continue;
        if (const Code code = task->Start(); code != kOk) {
            result.code = code;
            result.failed = task;
            for (ScanTask* started : result.started) started->Stop();
            return result;
        }
        result.started.push_back(task);
    }
    return result;
}

}  // namespace kestrune
