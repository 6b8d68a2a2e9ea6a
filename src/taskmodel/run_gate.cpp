#include "taskmodel/run_gate.h"

#include <thread>

namespace kestrune {

void RunGate::open() {
    running_.update([this](std::uint8_t& running) {
        running = 1;
        runningCopy_.store(true, std::memory_order_release);
    });
}

bool RunGate::enter() {
    return running_.update([this](std::uint8_t& running) {
        if (running == 0) return false;
        busy_.fetch_add(1, std::memory_order_acq_rel);
        return true;
    });
}

void RunGate::close() {
    for (;;) {
        const bool closed = running_.update([this](std::uint8_t& running) {
            if (busy_.load(std::memory_order_acquire) != 0) return false;
            running = 0;
            runningCopy_.store(false, std::memory_order_release);
            return true;
        });
        if (closed) return;
        if (sleeper_) {
            sleeper_(kPollInterval);
        } else {
            std::this_thread::sleep_for(kPollInterval);
        }
    }
}

}  // namespace kestrune
