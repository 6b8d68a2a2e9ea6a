#pragma once
// What the scheduler needs of a scan task. The scan task implements it; tests
// implement it with fakes, so the scheduler's rules are tested without blocks.

#include <cstdint>
#include <string>

#include "engine/task_timing.h"
#include "platform/reset_event.h"
#include "platform/status.h"

namespace kestrune {

// The task thread's state: no thread, waiting for the scan event, scanning.
enum class TaskThreadState : std::int32_t { Stopped = 0, Waiting = 2, Scanning = 3 };

class SchedulableTask {
  public:
    virtual ~SchedulableTask() = default;

    virtual std::string taskName() const = 0;
    virtual TaskTiming& timing() = 0;
    // Read under the task's own lock. The scheduler calls it while holding a
    // list lock, so a task must never wait for a scheduler list while holding
    // its lock.
    virtual TaskThreadState threadState() const = 0;
    // The task is due: wake its thread for one scan.
    virtual void setScanEvent() = 0;
    // Asks the thread to end (Stop); returns 0.
    virtual Code stop() = 0;
    // The stop poll: true once the thread has ended and the task is cleaned up.
    virtual bool isStopped() = 0;
    // Set by the main thread as soon as it has taken a start or stop request for this task.
    virtual ResetEvent& requestHandledEvent() = 0;
    // What lParam names for this task in run-error reports and start/stop
    // requests (the task's node, which the main window converts back).
    virtual const void* messageObject() const = 0;
};

}  // namespace kestrune
