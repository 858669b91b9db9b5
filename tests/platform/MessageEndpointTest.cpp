#include "platform/MessageEndpoint.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace
}  // namespace marlo::platform
