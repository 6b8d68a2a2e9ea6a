#pragma once
// Thread priorities in the program's own terms (idle, lowest .. highest, time
// critical) applied to the calling thread as well as the system allows. An
// unprivileged user gets nice values instead of real-time scheduling, and a
// priority that cannot be had at all is simply not had: nothing here fails.

namespace kestrune {

namespace thread_priority {
inline constexpr int kIdle = -15;
inline constexpr int kLowest = -2;
inline constexpr int kBelowNormal = -1;
inline constexpr int kNormal = 0;
inline constexpr int kAboveNormal = 1;
inline constexpr int kHighest = 2;
inline constexpr int kTimeCritical = 15;
}  // namespace thread_priority

struct PriorityOutcome {
    bool realtime = false;  // SCHED_FIFO was granted
    bool applied = false;   // the thread got the priority asked for, or the closest the system offers
};

// Applies `priority` (one of the values above; others are taken as the
// nearest) to the calling thread.
PriorityOutcome applyThreadPriority(int priority);

// Asks for the finest timer slack on the calling thread, so that its timed
// waits end as close to their deadline as the kernel can.
void useFinestTimerSlack();

}  // namespace kestrune
