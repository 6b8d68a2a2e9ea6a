#pragma once
// Drains the main queue on the Qt event loop. The queue's wake-up hook runs
// on the posting thread whenever a post finds the queue empty; it posts one
// queued call to this object, and that call drains everything waiting on
// the user-interface thread. Nothing polls: an idle program sleeps in the
// event loop until a scan thread posts.
//
// The hook may still be running on a scan thread while the pump goes away:
// both meet under one small lock, so a late wake-up finds nothing to call.

#include <QObject>
#include <functional>
#include <memory>

namespace kestrune {

class MainQueue;

class MainQueuePump final : public QObject {
    Q_OBJECT

  public:
    using Drain = std::function<void()>;

    // `drain` handles what is queued (Application::drainMessages). Anything
    // already waiting is drained on the first pass of the event loop.
    MainQueuePump(MainQueue& queue, Drain drain, QObject* parent = nullptr);
    ~MainQueuePump() override;

    // How many queued calls have run (for tests).
    int passes() const { return passes_; }

  private:
    struct Relay;
    void drainNow();

    MainQueue& queue_;
    Drain drain_;
    std::shared_ptr<Relay> relay_;
    int passes_ = 0;
};

}  // namespace kestrune
