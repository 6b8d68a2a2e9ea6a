#pragma once
// Stand-ins for what the scheduler talks to: tasks, the main thread that
// takes start and stop requests, display windows and trend items.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/schedulable_task.h"
#include "engine/scheduler_targets.h"
#include "platform/main_queue.h"
#include "platform/reset_event.h"
#include "support/eventually.h"

namespace kestrune::test {

using namespace std::chrono_literals;

using testing_support::eventually;

class FakeTask : public SchedulableTask {
  public:
    explicit FakeTask(std::string name) : name_(std::move(name)) {}

    std::string taskName() const override { return name_; }
    TaskTiming& timing() override { return timing_; }
    TaskThreadState threadState() const override { return state_.load(); }
    void setScanEvent() override {
        ++scanEvents;
        scanEvent.set();
    }
    Code stop() override {
        ++stopCalls;
        return kOk;
    }
    bool isStopped() override {
        ++stopPolls;
        return stoppedAnswer.load();
    }
    ResetEvent& requestHandledEvent() override { return requestHandled_; }
    // The task as the main window gets it back: here the interface itself.
    const void* messageObject() const override { return static_cast<const SchedulableTask*>(this); }

    void setState(TaskThreadState s) { state_ = s; }

    std::atomic<int> scanEvents{0};
    std::atomic<int> stopCalls{0};
    std::atomic<int> stopPolls{0};
    std::atomic<bool> stoppedAnswer{true};
    AutoResetEvent scanEvent;

  private:
    std::string name_;
    TaskTiming timing_;
    std::atomic<TaskThreadState> state_{TaskThreadState::Stopped};
    AutoResetEvent requestHandled_;
};

// Takes the messages of a MainQueue the way the main window does, either
// synchronously on the posting thread (so a test driving masterStep never
// waits) or on a thread of its own.
class FakeMainThread {
  public:
    struct Request {
        MessageId id;
        std::uint64_t wParam;
        std::int64_t lParam;
    };
    // What to do with a start or stop request after setting the requester's event.
    std::function<void(SchedulableTask& task, bool start)> onRunRequest;

    explicit FakeMainThread(MainQueue& queue) : queue_(queue) {}
    ~FakeMainThread() { stopOwnThread(); }

    void handleOnPostingThread() {
        queue_.setWakeup([this] { queue_.drain([this](const MainMessage& m) { handle(m); }); });
    }
    void handleOnOwnThread() {
        thread_ = std::thread([this] {
            while (!quit_.load()) queue_.waitAndDrain([this](const MainMessage& m) { handle(m); }, 5ms);
        });
    }
    void stopOwnThread() {
        quit_ = true;
        if (thread_.joinable()) thread_.join();
    }

    std::vector<Request> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    int count(MessageId id, std::int64_t wParam = -1) const {
        std::lock_guard lock(mutex_);
        int n = 0;
        for (const Request& r : messages_)
            if (r.id == id && (wParam < 0 || r.wParam == static_cast<std::uint64_t>(wParam))) ++n;
        return n;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }

  private:
    void handle(const MainMessage& m) {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back({m.id, m.wParam, m.lParam});
        }
        if (m.id != kMsgTaskStartStop) return;
        // The request-handled event is set first, as soon as the request is taken.
        auto* task = const_cast<SchedulableTask*>(paramAs<const SchedulableTask>(m.lParam));
        task->requestHandledEvent().set();
        if (onRunRequest) onRunRequest(*task, m.wParam == 1);
    }

    MainQueue& queue_;
    mutable std::mutex mutex_;
    std::vector<Request> messages_;
    std::thread thread_;
    std::atomic<bool> quit_{false};
};

class FakeDisplay : public DisplayRefreshTarget {
  public:
    void postRefresh() override {
        entered = true;
        if (blockUntil) blockUntil->wait();
        ++refreshes;
        if (blockUntil) returned = true;
    }
    std::atomic<int> refreshes{0};
    ManualResetEvent* blockUntil = nullptr;
    std::atomic<bool> entered{false};
    std::atomic<bool> returned{false};
};

class FakeTrend : public TrendUpdateTarget {
  public:
    FakeTrend(std::int64_t period, bool owned) : period_(period), owned_(owned) {}
    std::int64_t trendPeriodTicks() const override { return period_; }
    bool trendActive() const override { return active.load(); }
    bool hasOwnerTask() const override { return owned_; }
    void scanTrend() override {
        ++scans;
        scanned.set();
    }
    std::atomic<bool> active{true};
    std::atomic<int> scans{0};
    AutoResetEvent scanned;

  private:
    std::int64_t period_;
    bool owned_;
};

}  // namespace kestrune::test
