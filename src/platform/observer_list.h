#pragma once
// The observers of one subject (run control, the application, the event
// log), so that several front ends watch the same run side by side. They
// are told in the order they were added. Notifying takes no lock while an
// observer is called, so an observer may add or remove observers (itself
// too) from its call, and another thread may notify meanwhile. remove()
// returns only once no other thread is still calling the removed observer,
// after which it may be destroyed; a removal from inside the observer's own
// call cannot wait for that call and does not.
//
// Threads: any. The subject says in its class comment which thread notifies.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace kestrune {

template <class Observer>
class ObserverList {
  public:
    ObserverList() = default;
    ObserverList(const ObserverList&) = delete;
    ObserverList& operator=(const ObserverList&) = delete;

    // An observer added twice is told once.
    void add(Observer& observer) {
        std::lock_guard lock(mutex_);
        if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end())
            observers_.push_back(&observer);
    }

    void remove(Observer& observer) {
        std::unique_lock lock(mutex_);
        std::erase(observers_, &observer);
        const auto self = std::this_thread::get_id();
        idle_.wait(lock, [&] {
            return std::none_of(calls_.begin(), calls_.end(),
                                [&](const Call& c) { return c.observer == &observer && c.thread != self; });
        });
    }

    std::size_t size() const {
        std::lock_guard lock(mutex_);
        return observers_.size();
    }

    // Calls `tell(observer)` for each observer in order; one removed before
    // its turn is skipped, one added meanwhile waits for the next notification.
    template <class Tell>
    void notify(Tell&& tell) {
        std::vector<Observer*> now;
        {
            std::lock_guard lock(mutex_);
            now = observers_;
        }
        const auto self = std::this_thread::get_id();
        for (Observer* observer : now) {
            {
                std::lock_guard lock(mutex_);
                if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) continue;
                calls_.push_back({observer, self});
            }
            // Unlisted even when the observer throws, so that no remove waits for ever.
            struct Done {
                ObserverList& list;
                Call call;
                ~Done() { list.finish(call); }
            } done{*this, {observer, self}};
            tell(*observer);
        }
    }

  private:
    struct Call {
        Observer* observer;
        std::thread::id thread;
        bool operator==(const Call&) const = default;
    };

    void finish(const Call& call) {
        {
            std::lock_guard lock(mutex_);
            calls_.erase(std::find(calls_.begin(), calls_.end(), call));
        }
        idle_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::vector<Observer*> observers_;
    std::vector<Call> calls_;  // the calls in progress, by observer and thread
};

}  // namespace kestrune
