#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/EndpointReader.h"
#include "platform/EndpointReply.h"
#include "platform/EndpointRequest.h"
#include "platform/EndpointServer.h"
#include "platform/WorkerThread.h"

namespace marlo::platform {

// The program's message endpoint: a Unix socket in the private runtime folder through which
// the user's other programs reach its windows. Peers of other users are refused (checked
// with SO_PEERCRED, besides the folder's 0700).
//
// One thread serves every connection, waiting in poll() for whatever comes; no request makes a
// thread. A connection carries requests one after the other (EndpointReader frames them), each
// answered in its order with "ok\n" or "error <reason>\n"; a malformed one is answered and ends
// the connection. At most kMaxConnections are served at once (one more is answered "error
// busy" and closed), and a connection takes no more requests while kMaxWaitingAnswers of its
// requests wait for their answers, so what one peer sends stays bounded. A request has
// kRequestTimeoutMs to arrive whole once it began (the first also from the connection's
// start); a kept connection with nothing to say is closed after kIdleTimeoutMs.
//
// The handler runs on the endpoint's thread and must not wait: it hands the request on and
// answers through its EndpointReply when it is done, from any thread. A request whose answer
// has not been claimed within the withdrawal time is withdrawn: answered so, and never
// delivered later.
class MessageEndpoint {
  public:
    static constexpr size_t kMaxData = EndpointReader::kMaxData;
    static constexpr size_t kMaxConnections = 16;
    static constexpr size_t kMaxWaitingAnswers = 8;
    static constexpr uint32_t kRequestTimeoutMs = 2000;
    static constexpr uint32_t kIdleTimeoutMs = 60000;
    static constexpr const char* kWithdrawn = EndpointServer::kWithdrawn;

    // Answers at once: "" when delivered, else the reason.
    using Handler = std::function<std::string(const EndpointRequest&)>;
    using AsyncHandler = std::function<void(const EndpointRequest&, EndpointReply)>;

    MessageEndpoint();
    ~MessageEndpoint();
    MessageEndpoint(const MessageEndpoint&) = delete;
    MessageEndpoint& operator=(const MessageEndpoint&) = delete;

    static std::optional<std::filesystem::path> DefaultPath();

    // Listens at `socketPath`, replacing a socket file left there (the caller holds the
    // instance lock, so no running program owns it). False, with errno, when it cannot.
    bool Start(const std::filesystem::path& socketPath, Handler handler);
    // The same with answers that come later: a request not claimed within `withdrawAfterMs`
    // is withdrawn.
    bool Start(const std::filesystem::path& socketPath, AsyncHandler handler,
               uint32_t withdrawAfterMs);
    // Ends every connection and removes the socket file, if it is still the one Start made.
    void Stop();
    const std::filesystem::path& path() const { return path_; }

    // Sends one request on a connection of its own, waiting at most `timeoutMs` for each
    // step; "" on success, else the reason. (EndpointClient keeps a connection for many.)
    static std::string Send(const std::filesystem::path& socketPath, const EndpointRequest& request,
                            uint32_t timeoutMs = 5000);

  private:
    bool Listen(const std::filesystem::path& socketPath);

    std::filesystem::path path_;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
    int listenFd_ = -1;
    std::unique_ptr<EndpointServer> server_;
    WorkerThread worker_;
};

}  // namespace marlo::platform
