#pragma once
// The four values that shape the scheduler: the resolution R, the display
// refresh divider D, the display thread priority and single-task mode. They
// come from the settings file at start-up, may be changed for the rest of
// the process in the thread-scheduling dialog, and a strategy sets D from
// its stored display refresh period. A run uses the values in force when it
// starts.

#include "platform/settings.h"

namespace kestrune {

struct SchedulerSettings {
    static constexpr int kMinResolutionMs = 5;
    static constexpr int kMaxResolutionMs = 100;
    // Displays want a refresh about every 50 ms whatever R is.
    static constexpr int kDefaultRefreshPeriodMs = 50;
    static constexpr int kDisplayPriorityCount = 6;

    int resolutionMs = kMinResolutionMs;                              // R
    int refreshDivider = kDefaultRefreshPeriodMs / kMinResolutionMs;  // D: refresh every D + 1 ticks
    int displayPriorityIndex = 0;                                     // 0 idle .. 5 highest
    bool singleTaskMode = false;

    // From TaskScheduleRes, SingleTaskMode and DispThreadPriority, with D at its default for R.
    static SchedulerSettings fromSettings(const Settings& settings);

    // 0 (missing) gives 5; otherwise clamped to 5..100.
    static int clampResolution(int taskScheduleRes);
    // 50 / R, at least 1.
    static int defaultDivider(int resolutionMs);
    // A display refresh period in ms as a divider: period / R, at least 1.
    static int dividerForPeriod(int periodMs, int resolutionMs);
    // An index outside 0..5 is taken as 0 (idle).
    static int clampDisplayPriorityIndex(int index);
    // Index 0..5 to the thread priorities idle, lowest, below normal, normal, above normal, highest.
    static int displayThreadPriority(int index);

    // Sets R (clamped) and D back to its default for the new R.
    void setResolution(int taskScheduleRes);
    // Sets D from a stored display refresh period in ms (strategy file, options dialog).
    void setRefreshPeriodMs(int periodMs) { refreshDivider = dividerForPeriod(periodMs, resolutionMs); }
    // Display refresh period in ms: the refresh comes every D + 1 ticks.
    int refreshIntervalMs() const { return (refreshDivider + 1) * resolutionMs; }
    int displayPriority() const { return displayThreadPriority(displayPriorityIndex); }
};

}  // namespace kestrune
