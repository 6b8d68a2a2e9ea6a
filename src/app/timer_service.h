#pragma once
// The main window's timers: numbered, repeating until killed, and always
// delivered on the main thread, where run control acts on them (the stop
// retry 200, the pending task stops 201, the close and exit retries 202 and
// 203, the main script's timer). The desktop program gives Qt timers; the
// command-line runtime and the tests use ClockTimerService, whose owner
// fires what is due from its own loop.

#include <chrono>
#include <functional>
#include <map>
#include <optional>

namespace kestrune {

class Clock;

class TimerService {
  public:
    using Handler = std::function<void(int id)>;

    virtual ~TimerService() = default;

    // Who is told when a timer elapses (main thread). One handler at a time.
    virtual void setHandler(Handler handler) = 0;
    // Starts timer `id`, or restarts it with the new interval when it runs
    // already. False when no timer can be made.
    virtual bool setTimer(int id, std::chrono::milliseconds interval) = 0;
    // Nothing happens for a timer that does not run.
    virtual void killTimer(int id) = 0;
    virtual bool isSet(int id) const = 0;
};

// Timers counted on a Clock. Not thread-safe: the main thread sets, kills
// and fires them. A timer that fell several intervals behind fires once and
// then counts on from the time it fired, as a window timer does.
class ClockTimerService final : public TimerService {
  public:
    explicit ClockTimerService(const Clock& clock) : clock_(clock) {}

    void setHandler(Handler handler) override { handler_ = std::move(handler); }
    bool setTimer(int id, std::chrono::milliseconds interval) override;
    void killTimer(int id) override { timers_.erase(id); }
    bool isSet(int id) const override { return timers_.contains(id); }

    // The interval of a running timer.
    std::optional<std::chrono::milliseconds> interval(int id) const;
    // The earliest deadline of all running timers.
    std::optional<std::chrono::steady_clock::time_point> nextDeadline() const;
    // Calls the handler once for every timer whose deadline has come, in the
    // order of their deadlines. A handler may set and kill timers; a timer it
    // sets is not fired in the same call. Returns how many fired.
    int fireDue();

  private:
    struct Entry {
        std::chrono::milliseconds interval{0};
        std::chrono::steady_clock::time_point deadline;
        unsigned generation = 0;
    };

    const Clock& clock_;
    Handler handler_;
    std::map<int, Entry> timers_;
    unsigned generation_ = 0;
};

}  // namespace kestrune
