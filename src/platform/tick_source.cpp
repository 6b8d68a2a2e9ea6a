#include "platform/tick_source.h"

namespace kestrune {

bool ManualTickSource::start(std::chrono::milliseconds period, Callback onTick) {
    std::lock_guard lock(mutex_);
    if (running_ || period.count() <= 0 || !onTick) return false;
    onTick_ = std::move(onTick);
    period_ = period;
    running_ = true;
    return true;
}

void ManualTickSource::stop() {
    std::lock_guard lock(mutex_);
    running_ = false;
}

bool ManualTickSource::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

int ManualTickSource::tick(int count) {
    std::lock_guard lock(mutex_);
    int delivered = 0;
    for (; delivered < count && running_; ++delivered) {
        // A copy: the callback may stop and restart the source with another callback.
        const Callback onTick = onTick_;
        onTick();
    }
    return delivered;
}

std::chrono::milliseconds ManualTickSource::period() const {
    std::lock_guard lock(mutex_);
    return period_;
}

}  // namespace kestrune
