#include "engine/task_timing.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace kestrune {
namespace {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;

// The stored period is a 32-bit millisecond count; 65535 entered hours do not fit.
constexpr std::int64_t kLongestPeriodMs = std::numeric_limits<std::int32_t>::max();

int validResolution(int resolutionMs) {
    return std::max(resolutionMs, 1);
}

}  // namespace

std::int64_t HourMinSec::totalMs() const {
    return kMsPerHour * hours + kMsPerMinute * minutes + kMsPerSecond * seconds;
}

std::int64_t ScanPeriod::totalMs() const {
    return milliseconds + kMsPerSecond * seconds + kMsPerMinute * minutes + kMsPerHour * hours;
}

ScanPeriod ScanPeriod::fromMs(std::int64_t ms) {
    ms = std::max<std::int64_t>(ms, 0);
    ScanPeriod p;
    const std::int64_t hours = ms / kMsPerHour;
    p.hours = static_cast<std::uint16_t>(std::min<std::int64_t>(hours, 65535));
    ms -= hours * kMsPerHour;
    p.minutes = static_cast<std::uint16_t>(ms / kMsPerMinute);
    ms %= kMsPerMinute;
    p.seconds = static_cast<std::uint16_t>(ms / kMsPerSecond);
    p.milliseconds = static_cast<std::uint16_t>(ms % kMsPerSecond);
    return p;
}

std::string PeriodAdjustment::noticeText() const {
    char text[256];
    std::snprintf(
        text, sizeof text,
        "The task scan period you typed will be adjusted to fit the resolution (%dms) of multi-task "
        "scheduling timer. Please refer to the manual for further information.",
        resolutionMs);
    return text;
}

TaskTiming::TaskTiming(const TaskTiming& other) {
    copyConfiguration(other);
}

TaskTiming& TaskTiming::operator=(const TaskTiming& other) {
    if (this != &other) copyConfiguration(other);
    return *this;
}

void TaskTiming::copyConfiguration(const TaskTiming& other) {
    period_ = other.period_;
    durationMode_ = other.durationMode_;
    duration_ = other.duration_;
    scanLimit_ = other.scanLimit_;
    startMode_ = other.startMode_;
    delay_ = other.delay_;
    daily_ = other.daily_;
    priorityCode_ = other.priorityCode_;
    periodMs_ = other.periodMs_;
    periodTicks_ = other.periodTicks_;
    overrunLimit_ = other.overrunLimit_;
    overrunThreshold_ = other.overrunThreshold_;
    delayTicks_ = other.delayTicks_;
    durationTicks_ = other.durationTicks_;
    dailyStartMs_ = other.dailyStartMs_;
}

void TaskTiming::setPriorityCode(std::uint8_t code) {
    priorityCode_ = code > kHighestPriorityCode ? kDefaultPriorityCode : code;
}

std::int64_t TaskTiming::ticksOf(std::int64_t ms, int resolutionMs) {
    return std::max<std::int64_t>(ms / validResolution(resolutionMs), 1);
}

PeriodAdjustment TaskTiming::adjustPeriod(int resolutionMs) {
    const int r = validResolution(resolutionMs);
    const std::int64_t entered = period_.totalMs();
    // A period too long for the stored millisecond count is cut to the longest
    // multiple of R that fits, and the user hears about it like any other fit.
    const std::int64_t wanted = std::min(entered, kLongestPeriodMs / r * r);
    periodTicks_ = ticksOf(wanted, r);
    const std::int64_t stored = periodTicks_ * r;
    periodMs_ = static_cast<std::int32_t>(stored);
    period_ = ScanPeriod::fromMs(stored);
    overrunLimit_ = 2 * periodTicks_;
    overrunThreshold_ = 1;
    elapsed_ = periodTicks_;
    overrunCount_ = 0;
    return PeriodAdjustment{entered != stored, r, periodMs_};
}

void TaskTiming::recompute(int resolutionMs) {
    adjustPeriod(resolutionMs);
    delayTicks_ = ticksOf(delay_.totalMs(), resolutionMs);
    durationTicks_ = ticksOf(duration_.totalMs(), resolutionMs);
    dailyStartMs_ = daily_.totalMs();
    delayCounter_ = 0;
    dailyFired_ = false;
    resetRunCounters();
}

void TaskTiming::resetRunCounters() {
    elapsed_ = periodTicks_;
    overrunCount_ = 0;
    durationCounter_.store(0);
    scanCounter_.store(0);
    overrunWarning_.store(true);
}

TaskTiming::PeriodStep TaskTiming::advancePeriod(std::int64_t n) {
    PeriodStep step;
    elapsed_ += n;
    if (elapsed_ < periodTicks_) return step;
    step.due = true;
    if (elapsed_ > overrunLimit_) {
        if (++overrunCount_ >= overrunThreshold_) {
            overrunCount_ = 0;
            elapsed_ = periodTicks_;
            step.reportOverrun = overrunWarning_.load();
        }
    } else {
        overrunCount_ = 0;
    }
    return step;
}

void TaskTiming::advanceDuration(std::int64_t n) {
    if (durationMode_ != DurationMode::TimeBased) return;
    const std::int64_t counted = durationCounter_.load();
    // Only the master thread adds; the task thread may reset meanwhile, and a
    // reset must not be undone, hence the compare-exchange.
    if (counted < durationTicks_) {
        std::int64_t expected = counted;
        while (expected < durationTicks_ && !durationCounter_.compare_exchange_weak(expected, expected + n)) {
        }
    }
}

bool TaskTiming::takeDurationEnd() {
    if (durationMode_ != DurationMode::TimeBased) return false;
    std::int64_t counted = durationCounter_.load();
    while (counted >= durationTicks_) {
        if (durationCounter_.compare_exchange_weak(counted, 0)) return true;
    }
    return false;
}

bool TaskTiming::countScan() {
    if (durationMode_ != DurationMode::ScanBased) return false;
    const std::int32_t counted = scanCounter_.fetch_add(1) + 1;
    if (counted < std::max<std::int32_t>(scanLimit_, 1)) return false;
    scanCounter_.store(0);
    return true;
}

bool TaskTiming::advanceDelay(std::int64_t n) {
    if (startMode_ != StartMode::Delayed || delayCounter_ >= delayTicks_) return false;
    delayCounter_ += n;
    return delayCounter_ >= delayTicks_;
}

bool TaskTiming::dailyStartDue(std::int64_t msOfDay, bool mayStart) {
    if (startMode_ != StartMode::SystemTime) return false;
    // Measured forward from the start time modulo a day, so a start at
    // 23:59:55 still gets its whole window after midnight.
    const std::int64_t since = ((msOfDay - dailyStartMs_) % kMsPerDay + kMsPerDay) % kMsPerDay;
    const bool inWindow = since > 0 && since < kDailyWindowMs;
    if (!inWindow) {
        dailyFired_ = false;
        return false;
    }
    // One start per window: a task that ends within its window is not started
    // again every tick until the window closes.
    if (!mayStart || dailyFired_) return false;
    dailyFired_ = true;
    return true;
}

}  // namespace kestrune
