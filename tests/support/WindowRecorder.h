#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/EndpointRequest.h"
#include "platform/MessageEndpoint.h"
#include "platform/OtherWindows.h"

namespace marlo::test {

// Another program's window, in this process: registered by title and class as a cooperating
// program registers one, it keeps every request it is sent.
class WindowRecorder {
  public:
    WindowRecorder(const std::string& title, const std::string& className) {
        const auto socket = platform::OtherWindows::SocketFor(title, className);
        registered_ = socket && endpoint_.Start(*socket, [this](const platform::EndpointRequest& r) {
            std::lock_guard lock(mutex_);
            heard_.push_back(r);
            return std::string();
        }) && platform::OtherWindows::Describe(*socket, title, className);
    }
    ~WindowRecorder() { endpoint_.Stop(); }
    WindowRecorder(const WindowRecorder&) = delete;
    WindowRecorder& operator=(const WindowRecorder&) = delete;

    bool registered() const { return registered_; }
    // What it was sent so far, oldest first.
    std::vector<platform::EndpointRequest> heard() const {
        std::lock_guard lock(mutex_);
        return heard_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<platform::EndpointRequest> heard_;
    platform::MessageEndpoint endpoint_;
    bool registered_ = false;
};

}  // namespace marlo::test
