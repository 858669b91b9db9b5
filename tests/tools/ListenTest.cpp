// Windows of other programs: `marloctl listen` registers one, and what the program sends to it
// (a broadcast, a copy-data block to a window found by its title) arrives as lines.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/OtherWindows.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

using marlo::platform::EndpointRequest;
using marlo::platform::OtherWindows;

const std::string kBin = MARLO_BIN_DIR;

TEST(ListenTest, AListenerReceivesBroadcastsAndBlocksSentToItsTitle) {
    marlo::test::TempDir dir;
    std::filesystem::create_directories(dir / "run");
    chmod((dir / "run").c_str(), 0700);
    marlo::test::ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "run").string());
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        const std::string cli = kBin + "/marloctl";
        execl(cli.c_str(), cli.c_str(), "listen", "WorkTool", "--seconds", "20",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::optional<OtherWindows::Window> window;
    for (int i = 0; i < 500 && !window; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        window = OtherWindows::Find("WorkTool", "");
    }
    ASSERT_TRUE(window) << "the listener registered its window";

    EndpointRequest owner;
    owner.message = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
    owner.wParam = 1;
    owner.lParam = 1;
    EXPECT_EQ(OtherWindows::Broadcast(owner), 1u);
    EndpointRequest block;
    block.kind = EndpointRequest::Kind::kCopyData;
    block.dataKind = 5;
    block.data = std::string("\x02\x03\x00\x02", 4);
    EXPECT_TRUE(OtherWindows::Send(*window, block));

    std::string lines;
    const std::string expected =
        "message {4695579F-999A-41d4-9FAF-EFFCE93EBF16} 1 1\n"
        "copydata 5 02030002\n";
    for (int i = 0; i < 100 && lines.size() < expected.size(); ++i) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            char buffer[256];
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            lines.append(buffer, static_cast<size_t>(n));
        }
    }
    EXPECT_EQ(lines, expected) << "each line as it came, flushed at once";

    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    close(out[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(OtherWindows::Find("WorkTool", "")) << "the window is gone with its program";
    EXPECT_FALSE(OtherWindows::Send(*window, block)) << "a send to it fails, quietly";
    EXPECT_EQ(OtherWindows::Broadcast(owner), 0u);
}

}  // namespace
