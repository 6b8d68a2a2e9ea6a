#include "engine/task_requests.h"

#include "platform/main_window_messages.h"

namespace kestrune {
namespace {

void postAndWait(SchedulableTask& task, MainQueue& queue, bool start, bool wait, ResetEvent* giveUp) {
    ResetEvent& handled = task.requestHandledEvent();
    if (wait) handled.reset();
    // A full queue means the main thread is no longer draining: nobody would set the event.
    if (!queue.post(kMsgTaskStartStop, start ? 1 : 0, toParam(task.messageObject())) || !wait) return;
    if (giveUp)
        ResetEvent::waitForAny(*giveUp, handled);
    else
        handled.wait();
}

}  // namespace

std::int32_t requestTaskStart(SchedulableTask& task, MainQueue& queue, bool wait, ResetEvent* giveUp) {
    const TaskThreadState state = task.threadState();
    if (state != TaskThreadState::Stopped) return static_cast<std::int32_t>(state);
    postAndWait(task, queue, true, wait, giveUp);
    return 0;
}

std::int32_t requestTaskStop(SchedulableTask& task, MainQueue& queue, bool wait, ResetEvent* giveUp) {
    if (task.threadState() == TaskThreadState::Stopped) return 0;
    postAndWait(task, queue, false, wait, giveUp);
    return 0;
}

}  // namespace kestrune
