#pragma once
// A thread that is waited for with a bound. The scheduler's threads end when
// their quit event is set; one that does not end in time (stuck in a display
// or trend item that never returns) is abandoned so that the run stop can go
// on. Abandoning is made safe by ownership, not luck:
//  - the thread's "ended" event is shared with the thread, so it can still
//    be set after this object is gone;
//  - the body is expected to hold shared ownership of everything it touches
//    of its owner (the scheduler passes its shared state), and to look at its
//    quit event before every call into an outside object, so that when it
//    finally returns from the call that held it, it ends without touching
//    anything else.

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/reset_event.h"

namespace kestrune {

class WorkerThread {
  public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // Joins a thread that has ended; abandons one that has not (never blocks).
    ~WorkerThread();

    // False when a thread is still there or none could be created.
    bool start(std::function<void()> body);
    // Waits up to `timeout` for the body to return and joins the thread; true
    // also when there was no thread. False: the thread was abandoned (detached).
    bool finish(std::chrono::milliseconds timeout);
    bool started() const { return thread_.joinable(); }

  private:
    std::thread thread_;
    std::shared_ptr<ManualResetEvent> ended_;
};

}  // namespace kestrune
