#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace marlo::platform {
class Event;
}

namespace marlo::online {

// One synchronous HTTP request per call, over libcurl: connect, send, read the answer into the
// caller's buffer, close. A request that cannot be sent leaves the marker "NO_LINK_SERVER" in
// the buffer and returns 0; a bad verb or an empty address returns -1 with the reason in
// HttpLastError.
//
// HTTPS is always checked: the server's certificate against the system's authorities and its
// host name. With a pinned key (a "sha256//<base64>" of the server's public key, as libcurl
// writes it) that key alone is trusted, so a service with its own certificate can be reached;
// any other key is refused.
//
// Each client keeps its own settings; a worker thread uses its own client.
class HttpClient {
  public:
    static constexpr std::string_view kNoLinkServer = "NO_LINK_SERVER";
    static constexpr std::string_view kAgent = "WinHTTP Client/1.0";
    // Error codes of HttpLastError besides libcurl's own (CURLcode values).
    static constexpr int kErrorInvalidParameter = 87;
    static constexpr int kErrorPathNotFound = 3;

    struct Settings {
        std::string agent{kAgent};
        std::string proxy;  // the named proxy, used only when a request asks for it
        std::string proxyUser;
        std::string proxyPassword;
        uint32_t connectTimeoutMs = 60000;
        uint32_t sendTimeoutMs = 30000;
        uint32_t receiveTimeoutMs = 30000;
        // The whole request, however slowly the answer trickles in (0: no limit).
        uint32_t totalTimeoutMs = 0;
    };

    HttpClient();

    // Back to the settings above and no last error; the pinned key stays (it belongs to the
    // service, not to one request).
    void HttpInit();
    int HttpLastError() const { return lastError_; }
    // The HTTP status of the last answer (0 when none came).
    long HttpStatus() const { return lastStatus_; }

    // `verb` is "GET" or "POST" in any case. The answer is written from the start of `answer`,
    // no terminator added, and cut at its end. `stop`, when given, ends the request at once
    // when signalled. Returns the answer bytes written, 0 with the marker when nothing could
    // be sent, or -1.
    int HttpRequest(std::string_view verb, const std::string& url, std::span<const uint8_t> body,
                    std::span<uint8_t> answer, bool useNamedProxy, platform::Event* stop = nullptr);

    Settings& settings() { return settings_; }
    // Empty: the system's authorities decide.
    void SetPinnedKey(std::string key) { pinnedKey_ = std::move(key); }

  private:
    void WriteNoLink(std::span<uint8_t> answer);

    Settings settings_;
    std::string pinnedKey_;
    int lastError_ = 0;
    long lastStatus_ = 0;
};

}  // namespace marlo::online
