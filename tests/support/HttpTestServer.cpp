#include "support/HttpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace marlo::test {

struct HttpTestServer::Tls {
    SSL_CTX* ctx = nullptr;
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    ~Tls() {
        SSL_CTX_free(ctx);
        X509_free(cert);
        EVP_PKEY_free(key);
    }
};

namespace {

std::string Base64(const unsigned char* data, int size) {
    std::string out(static_cast<size_t>(4 * ((size + 2) / 3)) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data, size);
    out.resize(static_cast<size_t>(n));
    return out;
}

// One connection, plain or TLS.
class Connection {
  public:
    Connection(int fd, SSL_CTX* ctx) : fd_(fd) {
        if (ctx != nullptr) {
            ssl_ = SSL_new(ctx);
            SSL_set_fd(ssl_, fd);
            if (SSL_accept(ssl_) != 1) {
                ok_ = false;
            }
        }
    }
    ~Connection() {
        if (ssl_ != nullptr) {
            SSL_shutdown(ssl_);
            SSL_free(ssl_);
        }
        close(fd_);
    }
    bool ok() const { return ok_; }
    long Read(char* buf, size_t size) {
        return ssl_ != nullptr ? SSL_read(ssl_, buf, static_cast<int>(size))
                               : ::read(fd_, buf, size);
    }
    bool Write(const std::string& data) {
        size_t done = 0;
        while (done < data.size()) {
            const long n =
                ssl_ != nullptr
                    ? SSL_write(ssl_, data.data() + done, static_cast<int>(data.size() - done))
                    : ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

  private:
    int fd_;
    SSL* ssl_ = nullptr;
    bool ok_ = true;
};

}  // namespace

HttpTestServer::HttpTestServer(Scheme scheme, Handler handler)
    : scheme_(scheme), handler_(std::move(handler)) {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        listen(listenFd_, 16) != 0 ||
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        throw std::runtime_error("the test server cannot listen");
    }
    port_ = ntohs(addr.sin_port);
    if (scheme_ == Scheme::kHttps) {
        tls_ = std::make_unique<Tls>();
        tls_->key = EVP_EC_gen("P-256");
        tls_->cert = X509_new();
        X509_set_version(tls_->cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(tls_->cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(tls_->cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(tls_->cert), 24 * 3600);
        X509_set_pubkey(tls_->cert, tls_->key);
        X509_NAME* name = X509_get_subject_name(tls_->cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(tls_->cert, name);
        X509V3_CTX v3;
        X509V3_set_ctx_nodb(&v3);
        X509V3_set_ctx(&v3, tls_->cert, tls_->cert, nullptr, nullptr, 0);
        if (X509_EXTENSION* san = X509V3_EXT_conf_nid(nullptr, &v3, NID_subject_alt_name,
                                                      "IP:127.0.0.1,DNS:localhost")) {
            X509_add_ext(tls_->cert, san, -1);
            X509_EXTENSION_free(san);
        }
        X509_sign(tls_->cert, tls_->key, EVP_sha256());
        tls_->ctx = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(tls_->ctx, tls_->cert);
        SSL_CTX_use_PrivateKey(tls_->ctx, tls_->key);
        // The key's SubjectPublicKeyInfo, hashed, as libcurl compares it.
        unsigned char* der = nullptr;
        const int derSize = i2d_PUBKEY(tls_->key, &der);
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int digestSize = 0;
        EVP_Digest(der, static_cast<size_t>(derSize), digest, &digestSize, EVP_sha256(), nullptr);
        OPENSSL_free(der);
        pinnedKey_ = "sha256//" + Base64(digest, static_cast<int>(digestSize));
    }
    thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer() {
    stop_.Set();
    thread_.join();
    close(listenFd_);
}

std::string HttpTestServer::BaseAddress() const {
    return std::string(scheme_ == Scheme::kHttps ? "https" : "http") +
           "://127.0.0.1:" + std::to_string(port_) + "/";
}

std::vector<HttpTestServer::Request> HttpTestServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void HttpTestServer::Serve() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0) {
            return;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            Handle(fd);  // one at a time: the client under test sends one request at a time
        }
    }
}

void HttpTestServer::Handle(int fd) {
    Connection conn(fd, tls_ ? tls_->ctx : nullptr);
    if (!conn.ok()) {
        return;  // the client refused the certificate
    }
    std::string data;
    char buf[4096];
    size_t headerEnd = std::string::npos;
    size_t length = 0;
    while (headerEnd == std::string::npos || data.size() < headerEnd + 4 + length) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
        if (poll(fds, 2, 10000) <= 0 || (fds[1].revents & POLLIN) != 0) {
            return;
        }
        const long n = conn.Read(buf, sizeof buf);
        if (n <= 0) {
            return;
        }
        data.append(buf, static_cast<size_t>(n));
        if (headerEnd == std::string::npos &&
            (headerEnd = data.find("\r\n\r\n")) != std::string::npos) {
            std::string lower = data.substr(0, headerEnd);
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (const size_t at = lower.find("\r\ncontent-length:"); at != std::string::npos) {
                length = std::stoul(lower.substr(at + 17));
            }
        }
    }
    Request request;
    const size_t sp1 = data.find(' ');
    const size_t sp2 = data.find(' ', sp1 + 1);
    request.method = data.substr(0, sp1);
    request.path = data.substr(sp1 + 1, sp2 - sp1 - 1);
    request.headers = data.substr(0, headerEnd);
    request.body = data.substr(headerEnd + 4, length);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    const Answer answer = handler_(request);
    const std::string head =
        "HTTP/1.1 " + std::to_string(answer.status) +
        (answer.status == 200 ? " OK" : " Status") +
        "\r\nContent-Type: application/json\r\nContent-Length: " +
        std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n";
    if (answer.dripMs > 0) {
        conn.Write(head);
        for (const char c : answer.body) {
            if (stop_.Wait(static_cast<uint32_t>(answer.dripMs)) || !conn.Write(std::string(1, c))) {
                return;
            }
        }
        return;
    }
    if (answer.stallAfter == std::string::npos) {
        conn.Write(head + answer.body);
        return;
    }
    conn.Write(head + answer.body.substr(0, answer.stallAfter));
    stop_.Wait(60000);
}

}  // namespace marlo::test
