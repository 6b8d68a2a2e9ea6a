#include "platform/clock.h"

namespace kestrune {

std::tm SystemClock::localTime() const {
    const std::time_t t = std::chrono::system_clock::to_time_t(systemNow());
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

SystemClock& SystemClock::instance() {
    static SystemClock clock;
    return clock;
}

ManualClock::ManualClock(std::chrono::system_clock::time_point start, std::chrono::seconds utcOffset)
    : system_(start), utcOffset_(utcOffset) {}

std::chrono::steady_clock::time_point ManualClock::steadyNow() const {
    std::lock_guard lock(mutex_);
    return steady_;
}

std::chrono::system_clock::time_point ManualClock::systemNow() const {
    std::lock_guard lock(mutex_);
    return system_;
}

std::tm ManualClock::localTime() const {
    std::lock_guard lock(mutex_);
    const std::time_t t = std::chrono::system_clock::to_time_t(system_ + utcOffset_);
    std::tm out{};
    gmtime_r(&t, &out);
    return out;
}

void ManualClock::advance(std::chrono::nanoseconds by) {
    std::lock_guard lock(mutex_);
    steady_ += by;
    system_ += std::chrono::duration_cast<std::chrono::system_clock::duration>(by);
}

void ManualClock::setSystemTime(std::chrono::system_clock::time_point t) {
    std::lock_guard lock(mutex_);
    system_ = t;
}

void ManualClock::setLocalTime(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_days date =
        year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                       std::chrono::day{static_cast<unsigned>(day)}};
    const auto local = date + hours{hour} + minutes{minute} + seconds{second};
    std::lock_guard lock(mutex_);
    system_ = system_clock::time_point(duration_cast<system_clock::duration>(local.time_since_epoch())) -
              utcOffset_;
}

}  // namespace kestrune
