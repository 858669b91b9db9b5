#include "platform/WorkerThread.h"

#include <pthread.h>

#include <utility>

namespace marlo::platform {

WorkerThread::~WorkerThread() {
    if (thread_.joinable()) {
        stop_.Set();
        thread_.join();
    }
}

bool WorkerThread::Start(Body body, const char* name) {
    if (thread_.joinable()) {
        return false;
    }
    stop_.ResetEvent();
    ended_.ResetEvent();
    thread_ = std::thread([this, body = std::move(body), name] {
        if (name != nullptr) {
            pthread_setname_np(pthread_self(), name);  // at most 15 bytes: longer is refused
        }
        body(stop_);
        ended_.Set();
    });
    return true;
}

WorkerThread::StopResult WorkerThread::WaitForEnd(uint32_t timeoutMs) {
    if (!thread_.joinable()) {
        return StopResult::kNotRunning;
    }
    if (!ended_.Wait(timeoutMs)) {
        return StopResult::kTimedOut;
    }
    thread_.join();
    return StopResult::kEnded;
}

WorkerThread::StopResult WorkerThread::Stop(uint32_t timeoutMs) {
    SignalStop();
    return WaitForEnd(timeoutMs);
}

}  // namespace marlo::platform
