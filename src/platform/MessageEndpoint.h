#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/EndpointReader.h"
#include "platform/EndpointRequest.h"
#include "platform/WorkerThread.h"

namespace marlo::platform {

// The program's message endpoint: a Unix socket in the private runtime folder through which
// the user's other programs reach its windows. Peers of other users are refused (checked
// with SO_PEERCRED, besides the folder's 0700). One request per connection (EndpointReader),
// answered "ok\n" or "error <reason>\n".
//
// Connections are served at once, each on its own thread, up to kMaxConnections; one more is
// answered "error busy" and closed. Each request has kRequestTimeoutMs to arrive whole, so an
// idle or slow peer holds up only itself. The handler runs on the connection's thread.
class MessageEndpoint {
  public:
    static constexpr size_t kMaxData = EndpointReader::kMaxData;
    static constexpr size_t kMaxConnections = 16;
    static constexpr uint32_t kRequestTimeoutMs = 2000;
    using Handler = std::function<std::string(const EndpointRequest&)>;  // "" when delivered

    MessageEndpoint() = default;
    ~MessageEndpoint();
    MessageEndpoint(const MessageEndpoint&) = delete;
    MessageEndpoint& operator=(const MessageEndpoint&) = delete;

    static std::optional<std::filesystem::path> DefaultPath();

    // Listens at `socketPath`, replacing a socket file left there (the caller holds the
    // instance lock, so no running program owns it). False, with errno, when it cannot.
    bool Start(const std::filesystem::path& socketPath, Handler handler);
    // Ends every connection and removes the socket file, if it is still the one Start made.
    void Stop();
    const std::filesystem::path& path() const { return path_; }

    // Sends a request to the endpoint at `socketPath`, waiting at most `timeoutMs` for each
    // step; "" on success, else the reason.
    static std::string Send(const std::filesystem::path& socketPath, const EndpointRequest& request,
                            uint32_t timeoutMs = 5000);

  private:
    struct Connection {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void Serve(Event& stop);
    void Answer(int client, Event& stop);
    // Joins the connections that have finished; with `all`, waits for every one.
    void Reap(bool all);

    std::filesystem::path path_;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
    Handler handler_;
    int listenFd_ = -1;
    WorkerThread worker_;
    std::list<std::unique_ptr<Connection>> connections_;  // the serving thread's
};

}  // namespace marlo::platform
