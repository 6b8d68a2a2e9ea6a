#pragma once
// Messages to the main thread. Any thread posts {id, wParam, lParam}; the
// main thread drains them: the desktop program from its event loop (woken by
// the wakeup hook, so it never polls), the command-line runtime with
// waitAndDrain, tests by hand. A post takes one short lock and never waits
// for the main thread. The queue is bounded: when the main thread has
// stopped draining, posts fail instead of eating memory.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/main_window_messages.h"

namespace kestrune {

struct MainMessage {
    MessageId id = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
};

// lParam often names an object (the block that failed, the task to start).
// The poster must keep it alive until the message is handled.
inline std::int64_t toParam(const void* object) {
    return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(object));
}
template <typename T>
T* paramAs(std::int64_t lParam) {
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(lParam));
}

class MainQueue {
  public:
    using Handler = std::function<void(const MainMessage&)>;
    using Wakeup = std::function<void()>;

    static constexpr std::size_t kDefaultCapacity = 10000;

    explicit MainQueue(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // False when the queue is full (the message is dropped and counted).
    bool post(MessageId id, std::uint64_t wParam = 0, std::int64_t lParam = 0);
    bool post(const MainMessage& m) { return post(m.id, m.wParam, m.lParam); }

    // Handles every message queued at the time of the call, oldest first, on
    // the calling thread. Messages the handler posts wait for the next drain,
    // so a handler that re-posts cannot starve the caller's event loop.
    // Returns the number handled.
    std::size_t drain(const Handler& handler);
    // Waits up to `timeout` for a message, then drains.
    std::size_t waitAndDrain(const Handler& handler, std::chrono::milliseconds timeout);

    // Called (on the posting thread, outside the lock) when a post finds the
    // queue empty: the event loop owner schedules a drain. One call may stand
    // for many messages.
    void setWakeup(Wakeup wakeup);

    std::size_t size() const;
    std::uint64_t dropped() const;

  private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<MainMessage> queue_;
    std::shared_ptr<const Wakeup> wakeup_;
    std::uint64_t dropped_ = 0;
};

}  // namespace kestrune
