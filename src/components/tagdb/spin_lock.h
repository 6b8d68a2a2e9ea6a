#pragma once
// A one-word lock for the few hundred nanoseconds it takes to copy an array
// or a string tag. A std::mutex per tag would cost 40 bytes and a futex call
// under contention; here a waiter spins briefly and then yields, so a holder
// that was preempted on a busy machine is not starved by the spinners.

#include <atomic>
#include <thread>

namespace kestrune {

class SpinLock {
  public:
    void lock() noexcept {
        for (int spins = 0;; ++spins) {
            if (!locked_.exchange(true, std::memory_order_acquire)) return;
            while (locked_.load(std::memory_order_relaxed)) {
                if (++spins >= kSpinsBeforeYield) {
                    std::this_thread::yield();
                } else {
                    relax();
                }
            }
        }
    }
    bool try_lock() noexcept {
        return !locked_.load(std::memory_order_relaxed) && !locked_.exchange(true, std::memory_order_acquire);
    }
    void unlock() noexcept { locked_.store(false, std::memory_order_release); }

  private:
    static constexpr int kSpinsBeforeYield = 64;
    static void relax() noexcept {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    std::atomic<bool> locked_{false};
};

}  // namespace kestrune
