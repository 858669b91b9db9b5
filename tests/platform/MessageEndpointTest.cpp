#include "platform/MessageEndpoint.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <thread>
#include "platform/EndpointClient.h"
#include "platform/EndpointReader.h"
#include "platform/UnixSocket.h"

#include <cstring>
#include <mutex>

#include "support/TempDir.h"

namespace marlo::platform {
namespace {

TEST(MessageEndpointTest, RequestsParseAndFormatBack) {
    EndpointRequest post;
    post.window = "Marlo Gear";
    post.message = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
    post.wParam = 1;
    post.lParam = -5;
    const auto parsed = EndpointReader::Parse(EndpointReader::Format(post));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->window, "Marlo Gear");
    EXPECT_EQ(parsed->message, post.message);
    EXPECT_EQ(parsed->lParam, -5);

    EndpointRequest copy;
    copy.kind = EndpointRequest::Kind::kCopyData;
    copy.dataKind = 2;
    copy.data = std::string("a\nb\0c", 5);
    const auto block = EndpointReader::Parse(EndpointReader::Format(copy));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->data, copy.data);

    const char* malformed[] = {"",
                               "post\n",
                               "post\nw\nname\n1\n",
                               "post\nw\n\n1\n2\n",
                               "post\nw\nn\nx\n2\n",
                               "copydata\nw\n1\n10\nshort",
                               "copydata\nw\n1\n99999999999\n",
                               "other\nw\n"};
    for (const char* text : malformed) {
        EXPECT_FALSE(EndpointReader::Parse(text)) << text;
    }
}

class MessageEndpointServeTest : public ::testing::Test {
  protected:
    void Start() {
        ASSERT_TRUE(endpoint_.Start(dir_ / "endpoint.sock", [this](const EndpointRequest& r) {
            std::lock_guard lock(mutex_);
            received_.push_back(r);
            return r.window == "nowhere" ? std::string("no window nowhere") : std::string();
        }));
    }
    marlo::test::TempDir dir_;
    MessageEndpoint endpoint_;
    std::mutex mutex_;
    std::vector<EndpointRequest> received_;
};

TEST_F(MessageEndpointServeTest, DeliversAndAnswers) {
    Start();
    EndpointRequest request;
    request.message = "Marlo Gear";
    request.lParam = 1;
    EXPECT_EQ(MessageEndpoint::Send(dir_ / "endpoint.sock", request), "");
    request.window = "nowhere";
    EXPECT_EQ(MessageEndpoint::Send(dir_ / "endpoint.sock", request), "no window nowhere");
    std::lock_guard lock(mutex_);
    ASSERT_EQ(received_.size(), 2u);
    EXPECT_EQ(received_[0].message, "Marlo Gear");
    EXPECT_EQ(received_[0].lParam, 1);
}

TEST_F(MessageEndpointServeTest, OtherUsersAreRefused) {
    Start();
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    // Open the folder and socket to everyone, so only the peer check stands in the way.
    chmod(dir_.path().c_str(), 0755);
    chmod((dir_ / "endpoint.sock").c_str(), 0777);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        EndpointRequest request;
        request.message = "Marlo Gear";
        const std::string answer = MessageEndpoint::Send(dir_ / "endpoint.sock", request);
        const ssize_t n = write(pipeFds[1], answer.data(), answer.size());
        _exit(n >= 0 ? 0 : 3);
    }
    close(pipeFds[1]);
    char buffer[256] = {};
    const ssize_t n = read(pipeFds[0], buffer, sizeof buffer - 1);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer), "refused: another user");
    std::lock_guard lock(mutex_);
    EXPECT_TRUE(received_.empty());
}

TEST_F(MessageEndpointServeTest, AStalledClientDoesNotBlockTheNextOne) {
    Start();
    const int stalled = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, (dir_ / "endpoint.sock").c_str());
    ASSERT_EQ(connect(stalled, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(write(stalled, "post\n", 5), 5);  // and nothing more
    EndpointRequest request;
    request.message = "m";
    EXPECT_EQ(MessageEndpoint::Send(dir_ / "endpoint.sock", request), "");
    close(stalled);
    endpoint_.Stop();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "endpoint.sock"));
}

// A raw connection to the endpoint: what a hostile or broken program can do.
int ConnectTo(const std::filesystem::path& socket) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socket.c_str());
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string SendRaw(const std::filesystem::path& socket, const std::string& bytes) {
    const int fd = ConnectTo(socket);
    if (fd < 0) {
        return "(no connection)";
    }
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            break;  // the endpoint may stop reading an oversized request early
        }
        sent += static_cast<size_t>(n);
    }
    shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[256];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return answer;
}

TEST_F(MessageEndpointServeTest, MalformedTruncatedAndOversizedRequestsAreRefused) {
    Start();
    const std::string cases[] = {
        "",                                  // nothing, then closed
        "post\nw\nname\n1\n",                // truncated
        "post\nw\nname\n1\nnot-a-number\n",  // bad number
        "copydata\nw\n1\n100\nshort",        // block shorter than said
        "copydata\nw\n1\n" + std::to_string(EndpointReader::kMaxData + 1) + "\n",    // too big
        "post\n" + std::string(EndpointReader::kMaxLine + 10, 'w') + "\nm\n0\n0\n",  // long line
        std::string(3 * 1024 * 1024, 'x'),  // no line end at all
        "send\nw\n",                        // unknown kind
    };
    for (const std::string& text : cases) {
        EXPECT_EQ(SendRaw(dir_ / "endpoint.sock", text), "error malformed request\n")
            << text.substr(0, 40);
    }
    std::lock_guard lock(mutex_);
    EXPECT_TRUE(received_.empty()) << "nothing malformed reaches the handler";
}

TEST_F(MessageEndpointServeTest, IdleConnectionsNeitherDelayNorBlockOthers) {
    Start();
    // More idle connections than the endpoint serves at once.
    std::vector<int> idle;
    for (size_t i = 0; i < MessageEndpoint::kMaxConnections + 4; ++i) {
        idle.push_back(ConnectTo(dir_ / "endpoint.sock"));
        ASSERT_GE(idle.back(), 0);
    }
    EndpointRequest request;
    request.message = "m";
    // Over the bound a connection is told so at once; once the idle ones are gone, posts get
    // through, each without waiting for another's time-out.
    EXPECT_EQ(MessageEndpoint::Send(dir_ / "endpoint.sock", request), "busy");
    for (const int fd : idle) {
        close(fd);
    }
    std::string answer = "busy";
    for (int i = 0; i < 200 && answer == "busy"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        answer = MessageEndpoint::Send(dir_ / "endpoint.sock", request);
    }
    EXPECT_EQ(answer, "");
    std::vector<std::thread> senders;
    std::atomic<int> delivered{0};
    const int slow = ConnectTo(dir_ / "endpoint.sock");  // holds a place, says nothing
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 8; ++i) {
        senders.emplace_back([&] {
            if (MessageEndpoint::Send(dir_ / "endpoint.sock", request).empty()) {
                ++delivered;
            }
        });
    }
    for (auto& t : senders) {
        t.join();
    }
    EXPECT_EQ(delivered, 8);
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(MessageEndpoint::kRequestTimeoutMs))
        << "no post waits for the silent connection's time-out";
    close(slow);
}

// A connection carries requests one after the other: sent together, they are answered in
// their order; a client that keeps its connection sends many without making another.
TEST_F(MessageEndpointServeTest, ManyRequestsOnOneConnectionAreAnsweredInOrder) {
    Start();
    EndpointRequest first;
    first.message = "one";
    EndpointRequest nowhere;
    nowhere.window = "nowhere";
    nowhere.message = "two";
    EndpointRequest block;
    block.kind = EndpointRequest::Kind::kCopyData;
    block.dataKind = 1;
    block.data = std::string("a\nb\n\0c", 7);
    const std::string three = EndpointReader::Format(first) + EndpointReader::Format(nowhere) +
                              EndpointReader::Format(block);
    EXPECT_EQ(SendRaw(dir_ / "endpoint.sock", three), "ok\nerror no window nowhere\nok\n");

    EndpointClient client(dir_ / "endpoint.sock");
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(client.Send(first, 1000), "") << i;
    }
    EXPECT_TRUE(client.connected()) << "one connection for all of them";
    std::lock_guard lock(mutex_);
    ASSERT_EQ(received_.size(), 53u);
    EXPECT_EQ(received_[1].message, "two");
    EXPECT_EQ(received_[2].data, block.data);
}

// Answers that come later, from another thread: a request nobody claims in time is withdrawn,
// answered so, and can no longer be delivered; a claimed one is answered when it is done.
TEST(MessageEndpointAsyncTest, UnclaimedRequestsAreWithdrawnAndNeverDeliveredLater) {
    marlo::test::TempDir dir;
    std::mutex mutex;
    std::vector<EndpointReply> held;
    std::vector<std::thread> workers;
    MessageEndpoint endpoint;
    ASSERT_TRUE(endpoint.Start(
        dir / "endpoint.sock",
        [&](const EndpointRequest& request, EndpointReply reply) {
            std::lock_guard lock(mutex);
            if (request.message == "now") {
                workers.emplace_back([reply] {
                    if (reply.Claim()) {
                        reply.Answer("");
                    }
                });
                return;
            }
            held.push_back(reply);  // the UI thread is busy: nobody takes it
        },
        300));
    EndpointRequest late;
    late.message = "late";
    EXPECT_EQ(MessageEndpoint::Send(dir / "endpoint.sock", late), MessageEndpoint::kWithdrawn);
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(held.size(), 1u);
        EXPECT_FALSE(held[0].Claim()) << "withdrawn: never delivered later";
    }
    EndpointRequest now;
    now.message = "now";
    EXPECT_EQ(MessageEndpoint::Send(dir / "endpoint.sock", now), "");
    endpoint.Stop();
    for (std::thread& t : workers) {
        t.join();
    }
}

TEST_F(MessageEndpointServeTest, StopLeavesASocketItDoesNotOwn) {
    Start();
    // Another program has put its own socket at the path since.
    std::filesystem::remove(dir_ / "endpoint.sock");
    const int other = UnixSocket::Listen(dir_ / "endpoint.sock", SOCK_STREAM, 1);
    ASSERT_GE(other, 0);
    endpoint_.Stop();
    EXPECT_TRUE(std::filesystem::exists(dir_ / "endpoint.sock"));
    close(other);
}

}  // namespace
}  // namespace marlo::platform
