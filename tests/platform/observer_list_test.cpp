// Several observers of one subject: order, changes of the list from inside
// a notification, and a removal that waits for another thread's call.
// Meant for ThreadSanitizer too.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/observer_list.h"
#include "platform/reset_event.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;

struct Watcher {
    std::string name;
    std::vector<std::string>* seen;
    std::function<void()> onCall;
};

TEST(ObserverList, ObserversAreToldInOrderAndOnce) {
    std::vector<std::string> seen;
    Watcher a{"a", &seen, {}}, b{"b", &seen, {}};
    ObserverList<Watcher> list;
    list.add(a);
    list.add(b);
    list.add(a);
    list.notify([](Watcher& w) { w.seen->push_back(w.name); });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

TEST(ObserverList, AnObserverMayRemoveItselfOrTheNextDuringItsCall) {
    std::vector<std::string> seen;
    ObserverList<Watcher> list;
    Watcher a{"a", &seen, {}}, b{"b", &seen, {}}, c{"c", &seen, {}};
    a.onCall = [&] {
        list.remove(a);
        list.remove(b);
    };
    for (Watcher* w : {&a, &b, &c}) list.add(*w);
    const auto tell = [](Watcher& w) {
        w.seen->push_back(w.name);
        if (w.onCall) w.onCall();
    };
    list.notify(tell);
    list.notify(tell);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "c", "c"}));
    EXPECT_EQ(list.size(), 1u);
}

TEST(ObserverList, ARemovalWaitsForTheCallInProgressOnAnotherThread) {
    std::vector<std::string> seen;
    Watcher a{"a", &seen, {}};
    ObserverList<Watcher> list;
    list.add(a);
    ManualResetEvent entered, release;
    std::atomic<bool> callEnded{false};
    std::thread notifier([&] {
        list.notify([&](Watcher&) {
            entered.set();
            release.wait();
            callEnded = true;
        });
    });
    ASSERT_TRUE(entered.waitFor(10s));
    std::thread remover([&] { list.remove(a); });
    std::this_thread::sleep_for(5ms);
    release.set();
    remover.join();
    EXPECT_TRUE(callEnded.load()) << "remove returned while the observer was still being called";
    notifier.join();
    EXPECT_EQ(list.size(), 0u);
}

}  // namespace
}  // namespace kestrune
