#include "engine/worker_thread.h"

#include <system_error>

namespace kestrune {

WorkerThread::~WorkerThread() {
    finish(std::chrono::milliseconds(0));
}

bool WorkerThread::start(std::function<void()> body) {
    if (thread_.joinable() || !body) return false;
    auto ended = std::make_shared<ManualResetEvent>();
    try {
        thread_ = std::thread([ended, body = std::move(body)] {
            body();
            ended->set();
        });
    } catch (const std::system_error&) {
        return false;
    }
    ended_ = std::move(ended);
    return true;
}

bool WorkerThread::finish(std::chrono::milliseconds timeout) {
    if (!thread_.joinable()) return true;
    if (ended_->waitFor(timeout)) {
        thread_.join();
        ended_.reset();
        return true;
    }
    thread_.detach();
    ended_.reset();
    return false;
}

}  // namespace kestrune
