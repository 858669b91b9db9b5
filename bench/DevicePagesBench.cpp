// The program with emulated devices, on Qt's offscreen platform: how soon a plugged keyboard
// is attached and read, what the program costs while it sits with the keyboard and headset
// pages built (CPU over a span, default 30 s), and its resident memory then. A timing
// program, not a Google Benchmark: it watches a real process through its debug lines.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/ProcessStats.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The program's debug lines, read as they come.
class Lines {
  public:
    explicit Lines(int fd) : fd_(fd) {}
    // Waits (at most `timeoutMs`) for a line holding `text`; false when none came.
    bool WaitFor(const std::string& text, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            for (size_t end; (end = buffer_.find('\n')) != std::string::npos;) {
                const std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                if (line.find(text) != std::string::npos) {
                    return true;
                }
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                return false;
            }
            char chunk[4096];
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0) {
                return false;
            }
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }
    // Reads and forgets what is there now.
    void Drain() {
        pollfd p{fd_, POLLIN, 0};
        char chunk[4096];
        while (poll(&p, 1, 0) > 0 && read(fd_, chunk, sizeof chunk) > 0) {
        }
        buffer_.clear();
    }

  private:
    int fd_;
    std::string buffer_;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = std::string(MARLO_BIN_DIR) + "/marlo-gear";
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const int plugs = argc > 2 ? std::atoi(argv[2]) : 10;
    marlo::test::TempDir dir;
    const std::string runtime = (dir / "run").string();
    mkdir(runtime.c_str(), 0700);
    marlo::sim::SimServer server(dir / "hid");

    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0) {
        return 1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(err[1], 2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        const std::string root = (dir / "hid").string();
        execl(program.c_str(), program.c_str(), "--debug", "--hid-root", root.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(err[1]);
    Lines lines(err[0]);
    int status = 1;
    if (!lines.WaitFor("InitWindow", 20000)) {
        std::fprintf(stderr, "the program did not start\n");
    } else {
        usleep(500 * 1000);  // its first discovery pass
        std::vector<double> attached;
        std::vector<double> readAt;
        bool ok = true;
        for (int i = 0; i < plugs && ok; ++i) {
            lines.Drain();
            const auto plugged = Clock::now();
            server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard"));
            ok = lines.WaitFor("添加一个键盘设备", 5000);
            attached.push_back(Ms(Clock::now() - plugged));
            ok = ok && lines.WaitFor("device read: keyboard", 5000);
            readAt.push_back(Ms(Clock::now() - plugged));
            server.Unplug("keyboard");
            ok = ok && lines.WaitFor("删除一个键盘设备", 5000);
        }
        if (!ok) {
            std::fprintf(stderr, "a plug was not seen through\n");
        } else {
            std::printf("plug -> attached: median %.1f ms, worst %.1f ms (%d plugs)\n",
                        Median(attached), *std::max_element(attached.begin(), attached.end()),
                        plugs);
            std::printf("plug -> device read: median %.1f ms, worst %.1f ms\n", Median(readAt),
                        *std::max_element(readAt.begin(), readAt.end()));
            server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard"));
            server.Plug("headset", marlo::sim::SimCatalog::Create("headset"));
            lines.WaitFor("device read: HD", 5000);
            sleep(2);
            lines.Drain();
            const double before = marlo::test::CpuSeconds(pid);
            sleep(static_cast<unsigned>(idleSeconds));
            const double used = marlo::test::CpuSeconds(pid) - before;
            std::printf("idle with keyboard and headset pages: %.2f %% of one core over %d s\n",
                        100.0 * used / idleSeconds, idleSeconds);
            std::printf("resident memory with both pages built: %.1f MB\n",
                        static_cast<double>(marlo::test::ResidentKb(pid)) / 1024.0);
            status = 0;
        }
    }
    kill(pid, SIGTERM);
    // The program's debug lines must keep flowing while it ends.
    lines.WaitFor("never", 2000);
    waitpid(pid, nullptr, 0);
    close(err[0]);
    return status;
}
