#include "gui/main_queue_pump.h"

#include <QMetaObject>
#include <mutex>

#include "platform/main_queue.h"

namespace kestrune {

struct MainQueuePump::Relay {
    std::mutex mutex;
    MainQueuePump* pump = nullptr;

    void wake() {
        std::lock_guard lock(mutex);
        if (pump != nullptr) QMetaObject::invokeMethod(pump, &MainQueuePump::drainNow, Qt::QueuedConnection);
    }
};

MainQueuePump::MainQueuePump(MainQueue& queue, Drain drain, QObject* parent)
    : QObject(parent), queue_(queue), drain_(std::move(drain)), relay_(std::make_shared<Relay>()) {
    relay_->pump = this;
    queue_.setWakeup([relay = relay_] { relay->wake(); });
    // Posts made before the hook was set found no one to wake.
    if (queue_.size() > 0) relay_->wake();
}

MainQueuePump::~MainQueuePump() {
    queue_.setWakeup(nullptr);
    std::lock_guard lock(relay_->mutex);
    relay_->pump = nullptr;
}

void MainQueuePump::drainNow() {
    ++passes_;
    if (drain_) drain_();
}

}  // namespace kestrune
