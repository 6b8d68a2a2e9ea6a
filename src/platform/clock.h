#pragma once
// Where the scheduler and the logs get the time from. The program uses the
// system clock; tests use ManualClock and move it by hand, so daily starts,
// delays and log time stamps are tested without waiting.

#include <chrono>
#include <ctime>
#include <mutex>

namespace kestrune {

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic time for periods, delays and deadlines.
    virtual std::chrono::steady_clock::time_point steadyNow() const = 0;
    // Wall-clock time for time stamps and daily starts.
    virtual std::chrono::system_clock::time_point systemNow() const = 0;
    // systemNow() broken down in local time.
    virtual std::tm localTime() const = 0;
};

// The real clocks, local time in the process's time zone.
class SystemClock final : public Clock {
  public:
    std::chrono::steady_clock::time_point steadyNow() const override {
        return std::chrono::steady_clock::now();
    }
    std::chrono::system_clock::time_point systemNow() const override {
        return std::chrono::system_clock::now();
    }
    std::tm localTime() const override;

    // One shared instance for code that is not handed a clock.
    static SystemClock& instance();
};

// A clock that moves only when told. Local time is the system time shifted by
// a fixed offset, so a test gives the same results in every time zone.
// Thread-safe: a test thread may move it while a scheduler thread reads it.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(std::chrono::system_clock::time_point start = {},
                         std::chrono::seconds utcOffset = std::chrono::seconds{0});

    std::chrono::steady_clock::time_point steadyNow() const override;
    std::chrono::system_clock::time_point systemNow() const override;
    std::tm localTime() const override;

    // Moves both clocks forward together.
    void advance(std::chrono::nanoseconds by);
    // Sets the wall clock (a date change, a daylight-saving step); the steady clock is untouched.
    void setSystemTime(std::chrono::system_clock::time_point t);
    // Sets the wall clock to a local date and time (month 1..12).
    void setLocalTime(int year, int month, int day, int hour, int minute, int second);

  private:
    mutable std::mutex mutex_;
    std::chrono::steady_clock::time_point steady_;
    std::chrono::system_clock::time_point system_;
    std::chrono::seconds utcOffset_;
};

}  // namespace kestrune
