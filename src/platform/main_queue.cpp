#include "platform/main_queue.h"

#include <utility>

namespace kestrune {

bool MainQueue::post(MessageId id, std::uint64_t wParam, std::int64_t lParam) {
    std::shared_ptr<const Wakeup> wakeup;
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= capacity_) {
            ++dropped_;
            return false;
        }
        // Only the first message after a drain needs to wake the loop; the
        // drain it triggers takes everything posted until then.
        if (queue_.empty()) wakeup = wakeup_;
        queue_.push_back({id, wParam, lParam});
    }
    posted_.notify_one();
    if (wakeup && *wakeup) (*wakeup)();
    return true;
}

std::size_t MainQueue::drain(const Handler& handler) {
    std::deque<MainMessage> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
    }
    for (const MainMessage& m : batch) handler(m);
    return batch.size();
}

std::size_t MainQueue::waitAndDrain(const Handler& handler, std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex_);
        posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
    }
    return drain(handler);
}

void MainQueue::setWakeup(Wakeup wakeup) {
    auto shared = std::make_shared<const Wakeup>(std::move(wakeup));
    std::lock_guard lock(mutex_);
    wakeup_ = std::move(shared);
}

std::size_t MainQueue::size() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::uint64_t MainQueue::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace kestrune
