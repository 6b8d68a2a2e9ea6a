#include "gui/qt_timer_service.h"

namespace kestrune {

bool QtTimerService::setTimer(int id, std::chrono::milliseconds interval) {
    auto& timer = timers_[id];
    if (timer == nullptr) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, this, [this, id] {
            if (handler_) handler_(id);
        });
    }
    timer->start(static_cast<int>(interval.count()));
    return true;
}

void QtTimerService::killTimer(int id) {
    if (auto found = timers_.find(id); found != timers_.end()) found->second->stop();
}

bool QtTimerService::isSet(int id) const {
    const auto found = timers_.find(id);
    return found != timers_.end() && found->second->isActive();
}

}  // namespace kestrune
