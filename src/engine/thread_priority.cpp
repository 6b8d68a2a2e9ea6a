#include "engine/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

namespace kestrune {
namespace {

// Real-time priorities stay below the tick thread (which asks for 20), so
// the tick is never delayed by the thread it wakes.
constexpr int kTimeCriticalFifo = 19;
constexpr int kHighestFifo = 10;

bool trySchedFifo(int fifoPriority) {
    sched_param param{};
    param.sched_priority = std::min(fifoPriority, sched_get_priority_max(SCHED_FIFO));
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

// Linux keeps a nice value per thread; PRIO_PROCESS with a thread id sets only that thread's.
bool trySetNice(int nice) {
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    return setpriority(PRIO_PROCESS, tid, nice) == 0;
}

int niceFor(int priority) {
    if (priority >= thread_priority::kHighest) return -10;
    if (priority == thread_priority::kAboveNormal) return -5;
    if (priority == thread_priority::kNormal) return 0;
    if (priority == thread_priority::kBelowNormal) return 5;
    if (priority >= thread_priority::kLowest) return 10;
    return 19;
}

}  // namespace

PriorityOutcome applyThreadPriority(int priority) {
    PriorityOutcome out;
    if (priority >= thread_priority::kTimeCritical || priority == thread_priority::kHighest) {
        out.realtime =
            trySchedFifo(priority >= thread_priority::kTimeCritical ? kTimeCriticalFifo : kHighestFifo);
        out.applied = out.realtime || trySetNice(niceFor(std::min(priority, thread_priority::kHighest)));
        return out;
    }
    if (priority == thread_priority::kNormal) {
        out.applied = true;
        return out;
    }
    if (priority <= thread_priority::kIdle) {
        // SCHED_IDLE only lowers, so anyone may have it.
        sched_param param{};
        if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0) {
            out.applied = true;
            return out;
        }
    }
    out.applied = trySetNice(niceFor(priority));
    return out;
}

void useFinestTimerSlack() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

}  // namespace kestrune
