#include "engine/scheduler_settings.h"

#include <algorithm>

#include "engine/thread_priority.h"

namespace kestrune {

SchedulerSettings SchedulerSettings::fromSettings(const Settings& settings) {
    SchedulerSettings s;
    s.setResolution(settings.taskScheduleRes);
    s.singleTaskMode = settings.singleTaskMode;
    s.displayPriorityIndex = clampDisplayPriorityIndex(settings.dispThreadPriority);
    return s;
}

int SchedulerSettings::clampResolution(int taskScheduleRes) {
    if (taskScheduleRes == 0) return kMinResolutionMs;
    return std::clamp(taskScheduleRes, kMinResolutionMs, kMaxResolutionMs);
}

int SchedulerSettings::defaultDivider(int resolutionMs) {
    return dividerForPeriod(kDefaultRefreshPeriodMs, resolutionMs);
}

int SchedulerSettings::dividerForPeriod(int periodMs, int resolutionMs) {
    return std::max(periodMs / std::max(resolutionMs, 1), 1);
}

int SchedulerSettings::clampDisplayPriorityIndex(int index) {
    return index >= 0 && index < kDisplayPriorityCount ? index : 0;
}

int SchedulerSettings::displayThreadPriority(int index) {
    using namespace thread_priority;
    static constexpr int kByIndex[kDisplayPriorityCount] = {kIdle,   kLowest,      kBelowNormal,
                                                            kNormal, kAboveNormal, kHighest};
    return kByIndex[clampDisplayPriorityIndex(index)];
}

void SchedulerSettings::setResolution(int taskScheduleRes) {
    resolutionMs = clampResolution(taskScheduleRes);
    refreshDivider = defaultDivider(resolutionMs);
}

}  // namespace kestrune
