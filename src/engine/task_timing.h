#pragma once
// The timing of one scan task: what the user entered (period, delay,
// duration, daily start, priority) and the run-time counters the scheduler
// and the task thread keep in scheduler ticks of R milliseconds.
//
// Threads:
//  - the entered values and the derived tick counts are written on the main
//    thread while the task is stopped (dialog, file load, recompute at run
//    start) and only read while it runs;
//  - elapsed ticks, overrun count and the delay counter belong to the
//    scheduler's master thread (elapsed and overrun under the running-task
//    list lock);
//  - the duration counter is advanced by the master thread and tested and
//    reset by the task thread; the scan counter belongs to the task thread;
//    the overrun warning flag is cleared by scripts on the task thread and
//    read by the master thread. Those are atomics.

#include <atomic>
#include <cstdint>
#include <string>

namespace kestrune {

enum class DurationMode : std::int32_t { FreeRun = 0, TimeBased = 1, ScanBased = 2 };

enum class StartMode : std::int16_t { Immediate = 0, Inactive = 1, Delayed = 2, SystemTime = 3 };

// Hours, minutes and seconds as entered (delay, duration, daily start).
struct HourMinSec {
    std::uint16_t hours = 0;
    std::uint16_t minutes = 0;
    std::uint16_t seconds = 0;

    std::int64_t totalMs() const;
    friend bool operator==(const HourMinSec&, const HourMinSec&) = default;
};

// The scan period as entered.
struct ScanPeriod {
    std::uint16_t hours = 0;
    std::uint16_t minutes = 0;
    std::uint16_t seconds = 0;
    std::uint16_t milliseconds = 0;

    std::int64_t totalMs() const;
    // Splits a millisecond count back into the entered form (hours saturate at 65535).
    static ScanPeriod fromMs(std::int64_t ms);
    friend bool operator==(const ScanPeriod&, const ScanPeriod&) = default;
};

// The result of fitting a period to the scheduler's resolution.
struct PeriodAdjustment {
    bool noticeDue = false;  // the entered period was 0 or not a multiple of R (or too long)
    int resolutionMs = 0;
    std::int32_t periodMs = 0;  // the period as stored afterwards

    // "The task scan period you typed will be adjusted ..." with R filled in.
    std::string noticeText() const;
};

class TaskTiming {
  public:
    static constexpr std::uint8_t kDefaultPriorityCode = 2;
    static constexpr std::uint8_t kHighestPriorityCode = 4;
    // A daily start fires while the local time lies strictly inside this window after the start time.
    static constexpr std::int64_t kDailyWindowMs = 10000;
    static constexpr std::int64_t kMsPerDay = 86400000;

    TaskTiming() = default;
    // Copies the configuration (CopyTo), never the run-time counters.
    TaskTiming(const TaskTiming& other);
    TaskTiming& operator=(const TaskTiming& other);

    // ---- configuration (main thread, task stopped) ----
    // Stores the period as entered, unadjusted (file load, copy).
    void setPeriod(ScanPeriod p) { period_ = p; }
    ScanPeriod period() const { return period_; }
    // Fits the stored period to R: ticks = ms / R (at least 1), stored back as
    // ticks x R. Says whether the user must be told (the dialog's OK).
    PeriodAdjustment adjustPeriod(int resolutionMs);

    void setDurationMode(DurationMode m) { durationMode_ = m; }
    DurationMode durationMode() const { return durationMode_; }
    void setDuration(HourMinSec d) { duration_ = d; }
    HourMinSec duration() const { return duration_; }
    void setScanLimit(std::int32_t n) { scanLimit_ = n; }
    std::int32_t scanLimit() const { return scanLimit_; }

    void setStartMode(StartMode m) { startMode_ = m; }
    StartMode startMode() const { return startMode_; }
    void setDelay(HourMinSec d) { delay_ = d; }
    HourMinSec delay() const { return delay_; }
    void setDailyStart(HourMinSec t) { daily_ = t; }
    HourMinSec dailyStart() const { return daily_; }

    // Codes above 4 are stored as 2 (normal).
    void setPriorityCode(std::uint8_t code);
    std::uint8_t priorityCode() const { return priorityCode_; }
    // The relative thread priority of the code: -2 (lowest) .. 2 (highest).
    int threadPriority() const { return static_cast<int>(priorityCode_) - 2; }

    // ---- derived values (valid after adjustPeriod / recompute) ----
    std::int32_t periodMs() const { return periodMs_; }
    std::int64_t periodTicks() const { return periodTicks_; }
    std::int64_t overrunLimit() const { return overrunLimit_; }
    std::int64_t overrunThreshold() const { return overrunThreshold_; }
    std::int64_t delayTicks() const { return delayTicks_; }
    std::int64_t durationTicks() const { return durationTicks_; }
    std::int64_t dailyStartMs() const { return dailyStartMs_; }

    // Every run start, before the scheduler runs: all tick counts again from
    // the stored values (R may have changed), the counters cleared and the
    // overrun warning switched on. This is the only place the delay counter
    // is cleared, so a delayed start happens once per run. (The scheduler does
    // it for every task that is not running when the run starts.)
    void recompute(int resolutionMs);
    // A task started while the scheduler runs (a delayed, daily or commanded
    // start) begins a fresh period and fresh duration and scan counts; the
    // delay counter and the daily latch, which the master thread keeps, stay.
    // Call it before the task enters the running-task list.
    void resetRunCounters();

    // ---- scheduler side (master thread) ----
    struct PeriodStep {
        bool due = false;            // elapsed has reached the period
        bool reportOverrun = false;  // an overrun to report now (warning flag on)
    };
    // Adds n ticks to the elapsed count and does the overrun bookkeeping: a
    // task more than twice its period behind counts an overrun and starts a
    // new period, so a task that stays busy is reported once per period.
    PeriodStep advancePeriod(std::int64_t n);
    // The task was signalled: its next period starts now.
    void releasePeriod() { elapsed_ = 0; }
    std::int64_t elapsedTicks() const { return elapsed_; }
    std::int64_t overrunCount() const { return overrunCount_; }

    // Time-based duration: counts n ticks while below the duration.
    void advanceDuration(std::int64_t n);
    // Delayed start: counts n ticks while below the delay; true on the step
    // that reaches it (once per run).
    bool advanceDelay(std::int64_t n);
    std::int64_t delayCounter() const { return delayCounter_; }
    // Daily start: true when `msOfDay` lies strictly inside the window after
    // the daily start time (across midnight too) and the window has not fired
    // yet; leaving the window arms the next day's start. Call on every
    // scheduler step, whether the task runs or not, with `mayStart` false
    // while it runs.
    bool dailyStartDue(std::int64_t msOfDay, bool mayStart);

    // ---- task thread side ----
    // Time-based duration: true (and the counter reset) once the duration is reached.
    bool takeDurationEnd();
    std::int64_t durationCounter() const { return durationCounter_.load(); }
    // Scan-based duration: counts one completed scan; true (and the counter
    // reset) when it reaches the scan limit. A limit below 1 ends after one scan.
    bool countScan();
    std::int32_t scanCounter() const { return scanCounter_.load(); }

    // Cleared by a script running in the task thread (SetOverrunWarning).
    void setOverrunWarning(bool on) { overrunWarning_.store(on); }
    bool overrunWarning() const { return overrunWarning_.load(); }

  private:
    void copyConfiguration(const TaskTiming& other);
    static std::int64_t ticksOf(std::int64_t ms, int resolutionMs);

    // Entered values.
    ScanPeriod period_{0, 0, 1, 0};
    DurationMode durationMode_ = DurationMode::FreeRun;
    HourMinSec duration_;
    std::int32_t scanLimit_ = 0;
    StartMode startMode_ = StartMode::Immediate;
    HourMinSec delay_;
    HourMinSec daily_;
    std::uint8_t priorityCode_ = kDefaultPriorityCode;

    // Derived.
    std::int32_t periodMs_ = 1000;
    std::int64_t periodTicks_ = 1;
    std::int64_t overrunLimit_ = 2;
    std::int64_t overrunThreshold_ = 1;
    std::int64_t delayTicks_ = 1;
    std::int64_t durationTicks_ = 1;
    std::int64_t dailyStartMs_ = 0;

    // Run-time counters.
    std::int64_t elapsed_ = 1;
    std::int64_t overrunCount_ = 0;
    std::int64_t delayCounter_ = 0;
    bool dailyFired_ = false;
    std::atomic<std::int64_t> durationCounter_{0};
    std::atomic<std::int32_t> scanCounter_{0};
    std::atomic<bool> overrunWarning_{true};
};

}  // namespace kestrune
