#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/WorkerThread.h"

namespace marlo::platform {

// What another program asks of a window: post a registered message by name, or send a
// copy-data block of a kind.
struct EndpointRequest {
    enum class Kind { kPost, kCopyData };
    Kind kind = Kind::kPost;
    std::string window;   // class name or title; empty: the main window
    std::string message;  // registered message name (posts)
    uint64_t wParam = 0;
    int64_t lParam = 0;
    uint32_t dataKind = 0;
    std::string data;  // copy-data bytes
};

// The program's message endpoint: a Unix socket in the private runtime folder through which
// the user's other programs reach its windows. Peers of other users are refused (checked
// with SO_PEERCRED, besides the folder's 0700). One request per connection:
//   post\n<window>\n<message name>\n<wParam>\n<lParam>\n
//   copydata\n<window>\n<kind>\n<length>\n<bytes>
// answered "ok\n" or "error <reason>\n". The handler runs on the endpoint's own thread.
class MessageEndpoint {
  public:
    static constexpr size_t kMaxData = 1024 * 1024;
    using Handler = std::function<std::string(const EndpointRequest&)>;  // "" when delivered

    MessageEndpoint() = default;
    ~MessageEndpoint();
    MessageEndpoint(const MessageEndpoint&) = delete;
    MessageEndpoint& operator=(const MessageEndpoint&) = delete;

    static std::optional<std::filesystem::path> DefaultPath();

    bool Start(const std::filesystem::path& socketPath, Handler handler);
    void Stop();
    const std::filesystem::path& path() const { return path_; }

    // Parses a request (the text after the connection's first bytes); nothing when malformed.
    static std::optional<EndpointRequest> Parse(const std::string& text);
    static std::string Format(const EndpointRequest& request);
    // Sends a request to the endpoint at `socketPath`; "" on success, else the reason.
    static std::string Send(const std::filesystem::path& socketPath,
                            const EndpointRequest& request);

  private:
    void Serve(Event& stop);
    void Answer(int client, Event& stop);

    std::filesystem::path path_;
    Handler handler_;
    int listenFd_ = -1;
    WorkerThread worker_;
};

}  // namespace marlo::platform
