#include "online/HttpClient.h"

#include <curl/curl.h>
#include <signal.h>

#include <strings.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/Event.h"

namespace marlo::online {
namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        // Requests run on worker threads without libcurl's signal handling, and TLS writes to a
        // server that went away raise SIGPIPE: that must end a request, not the process.
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            signal(SIGPIPE, SIG_IGN);
        }
    });
}

struct EasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// The answer as it arrives: appended to the caller's buffer, never past its end. Once the
// buffer is full the transfer is ended; what fits is the answer.
struct Sink {
    std::span<uint8_t> buffer;
    size_t written = 0;
    bool full = false;

    static size_t Write(char* data, size_t size, size_t count, void* self) {
        auto* sink = static_cast<Sink*>(self);
        const size_t bytes = size * count;
        const size_t room = sink->buffer.size() - sink->written;
        const size_t taken = std::min(bytes, room);
        std::memcpy(sink->buffer.data() + sink->written, data, taken);
        sink->written += taken;
        if (taken < bytes || sink->written == sink->buffer.size()) {
            sink->full = true;
            return taken == bytes ? bytes : 0;  // 0 ends the transfer
        }
        return bytes;
    }
};

long Seconds(uint32_t ms) {
    return static_cast<long>((ms + 999) / 1000);
}

}  // namespace

HttpClient::HttpClient() {
    GlobalInit();
}

void HttpClient::HttpInit() {
    settings_ = Settings{};
    lastError_ = 0;
    lastStatus_ = 0;
}

void HttpClient::WriteNoLink(std::span<uint8_t> answer) {
    const size_t n = std::min(answer.size(), kNoLinkServer.size());
    std::memcpy(answer.data(), kNoLinkServer.data(), n);
}

int HttpClient::HttpRequest(std::string_view verb, const std::string& url,
                            std::span<const uint8_t> body, std::span<uint8_t> answer,
                            bool useNamedProxy, platform::Event* stop) {
    const bool post = verb.size() == 4 && strncasecmp(verb.data(), "POST", 4) == 0;
    const bool get = verb.size() == 3 && strncasecmp(verb.data(), "GET", 3) == 0;
    if (!post && !get) {
        lastError_ = kErrorInvalidParameter;
        return -1;
    }
    if (url.empty()) {
        lastError_ = kErrorPathNotFound;
        return -1;
    }
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi) {
        lastError_ = CURLE_OUT_OF_MEMORY;
        return -1;
    }
    CURL* c = easy.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    // Only the two web schemes, also after a redirect (none is followed).
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_USERAGENT, settings_.agent.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!pinnedKey_.empty()) {
        // The pinned key is the trust: the chain need not lead to a known authority, the key
        // must match (and the host name still must).
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(c, CURLOPT_PINNEDPUBLICKEY, pinnedKey_.c_str());
    }
    // libcurl counts name resolution in the connect timeout: there is no separate one.
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings_.connectTimeoutMs));
    // Sending and receiving time out when nothing moves for that long.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME,
                     Seconds(std::max(settings_.sendTimeoutMs, settings_.receiveTimeoutMs)));
    if (settings_.totalTimeoutMs > 0) {
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(settings_.totalTimeoutMs));
    }

    // The header block: the body's length (also for GET), the form type and our answer type.
    std::unique_ptr<curl_slist, ListDeleter> headers;
    const auto add = [&](const std::string& line) {
        headers.reset(curl_slist_append(headers.release(), line.c_str()));
    };
    add("Content-Length: " + std::to_string(body.size()));
    add("Content-Type: application/x-www-form-urlencoded");
    add("Accept:application/prs.Korva.v1+json");
    add("Expect:");
    if (!headers) {
        lastError_ = CURLE_OUT_OF_MEMORY;
        return -1;
    }
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    if (post) {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
    } else if (!body.empty()) {
        curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, "GET");
    }
    if (post || !body.empty()) {
        curl_easy_setopt(c, CURLOPT_POSTFIELDS,
                         body.empty() ? "" : reinterpret_cast<const char*>(body.data()));
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    if (useNamedProxy && !settings_.proxy.empty()) {
        curl_easy_setopt(c, CURLOPT_PROXY, settings_.proxy.c_str());
        if (!settings_.proxyUser.empty()) {
            curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, settings_.proxyUser.c_str());
            if (!settings_.proxyPassword.empty()) {
                curl_easy_setopt(c, CURLOPT_PROXYPASSWORD, settings_.proxyPassword.c_str());
            }
        }
    }
    // Otherwise libcurl takes the proxy from the environment (http_proxy, https_proxy,
    // no_proxy), as the desktop sets it.
    Sink sink{answer};
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Sink::Write);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);

    curl_multi_add_handle(multi.get(), c);
    CURLcode result = CURLE_OK;
    bool stopped = false;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
                if (msg->msg == CURLMSG_DONE)
                    result = msg->data.result;
            }
            break;
        }
        // Waits on the transfer and on the stop event together.
        curl_waitfd extra{};
        unsigned extraCount = 0;
        if (stop != nullptr) {
            extra.fd = stop->fd();
            extra.events = CURL_WAIT_POLLIN;
            extraCount = 1;
        }
        curl_multi_poll(multi.get(), stop != nullptr ? &extra : nullptr, extraCount, 1000, nullptr);
        if (stop != nullptr && (extra.revents & CURL_WAIT_POLLIN) != 0) {
            stopped = true;
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    curl_multi_remove_handle(multi.get(), c);
    lastStatus_ = status;

    if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && sink.full)) {
        return static_cast<int>(sink.written);
    }
    lastError_ = static_cast<int>(result);
    if (status > 0 && !stopped) {
        return static_cast<int>(sink.written);  // an answer that broke off: what came
    }
    if (stopped && sink.written > 0) {
        return static_cast<int>(sink.written);
    }
    WriteNoLink(answer);
    return 0;
}

}  // namespace marlo::online
