#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Event.h"

namespace marlo::test {

// A small HTTP or HTTPS server on 127.0.0.1 for the tests of the program's web requests. It
// answers each request with what the handler returns; over HTTPS it shows a self-signed
// certificate for 127.0.0.1 made when it starts.
class HttpTestServer {
  public:
    struct Request {
        std::string method;
        std::string path;
        std::string headers;  // the header lines as they came
        std::string body;
    };
    struct Answer {
        std::string body;
        // Sends the first `stallAfter` bytes and then nothing more until the server ends.
        size_t stallAfter = std::string::npos;
        int status = 200;
        // Above 0: the body goes one byte at a time, this many milliseconds apart.
        int dripMs = 0;
    };
    using Handler = std::function<Answer(const Request&)>;

    enum class Scheme { kHttp, kHttps };
    HttpTestServer(Scheme scheme, Handler handler);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // "http://127.0.0.1:<port>/" or "https://…".
    std::string BaseAddress() const;
    // The certificate's public key as libcurl pins it: "sha256//<base64>".
    std::string PinnedKey() const { return pinnedKey_; }
    std::vector<Request> Requests() const;

  private:
    struct Tls;
    void Serve();
    void Handle(int fd);

    Scheme scheme_;
    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    std::string pinnedKey_;
    std::unique_ptr<Tls> tls_;
    platform::Event stop_{platform::Event::Reset::kManual};
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::thread thread_;
};

}  // namespace marlo::test
