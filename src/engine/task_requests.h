#pragma once
// Start and stop requests for a task from threads other than the main one
// (the scheduler, task threads, scripts, system control blocks). The request
// travels as message 0x416 to the main thread, which starts or stops the
// task; a requester that waits is released as soon as the main thread has
// taken the message, not when the task has started or stopped.

#include <cstdint>

#include "engine/schedulable_task.h"
#include "platform/main_queue.h"
#include "platform/reset_event.h"

namespace kestrune {

// RequestTaskStart: when the task's thread state is not 0 it is returned and
// nothing is posted. Otherwise posts 0x416 (1, task) and, when `wait`, blocks
// until the request is taken or `giveUp` (a manual-reset event: a quit
// event, a stop event) is set, so a requester is never stuck on a main
// thread that has stopped handling messages. Returns 0 then.
std::int32_t requestTaskStart(SchedulableTask& task, MainQueue& queue, bool wait,
                              ResetEvent* giveUp = nullptr);

// RequestTaskStop: returns 0 at once when the task has no thread; otherwise
// the same with 0x416 (0, task).
std::int32_t requestTaskStop(SchedulableTask& task, MainQueue& queue, bool wait,
                             ResetEvent* giveUp = nullptr);

}  // namespace kestrune
