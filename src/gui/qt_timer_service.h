#pragma once
// The main window's numbered timers as QTimers: they elapse on the event
// loop of the user-interface thread, where run control acts on them.

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "app/timer_service.h"

namespace kestrune {

class QtTimerService final : public QObject, public TimerService {
    Q_OBJECT

  public:
    explicit QtTimerService(QObject* parent = nullptr) : QObject(parent) {}

    void setHandler(Handler handler) override { handler_ = std::move(handler); }
    bool setTimer(int id, std::chrono::milliseconds interval) override;
    void killTimer(int id) override;
    bool isSet(int id) const override;

  private:
    Handler handler_;
    // Stopped timers stay: one may be killed from inside its own timeout.
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

}  // namespace kestrune
