#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/EndpointRequest.h"

namespace marlo::platform {

// A connection to a message endpoint kept for many requests, as a program that sends often
// (the audio companion, many times a second) keeps one: sent one after the other, each answer
// read before the next request. A connection that failed or was closed by the endpoint (it
// closes kept connections that stay idle) is made again for the next request, once.
class EndpointClient {
  public:
    explicit EndpointClient(std::filesystem::path socketPath);
    ~EndpointClient();
    EndpointClient(const EndpointClient&) = delete;
    EndpointClient& operator=(const EndpointClient&) = delete;

    // "" when delivered, else the reason; at most `timeoutMs` for each step.
    std::string Send(const EndpointRequest& request, uint32_t timeoutMs);
    bool connected() const { return fd_ >= 0; }

  private:
    // One try on the kept connection (made when there is none); `sent` tells whether the
    // request left, so that a failure after it is not sent twice.
    std::string Try(const std::string& bytes, uint32_t timeoutMs, bool& sent);
    void Close();

    std::filesystem::path path_;
    int fd_ = -1;
};

}  // namespace marlo::platform
