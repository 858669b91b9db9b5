// How long the program takes from exec to its laid-out main window, and how much memory it
// holds then, on Qt's offscreen platform. A timing program, not a Google Benchmark: each run
// starts a fresh process.
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
#include <string>
#include <vector>

#include "support/ProcessStats.h"
#include "support/TempDir.h"

int main(int argc, char** argv) {
    const std::string program = argc > 1 ? argv[1] : std::string(MARLO_BIN_DIR) + "/marlo-gear";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 10;
    std::vector<double> times;
    std::vector<long> rss;
    for (int run = 0; run < runs; ++run) {
        marlo::test::TempDir dir;
        const std::string runtime = (dir / "run").string();
        mkdir(runtime.c_str(), 0700);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return 1;
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);  // the offscreen platform's notes are of no interest here
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
            setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
            execl(program.c_str(), program.c_str(), "--report-ready", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::string seen;
        pollfd p{out[0], POLLIN, 0};
        while (seen.find("ready\n") == std::string::npos && poll(&p, 1, 20000) > 0) {
            char buffer[256];
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            seen.append(buffer, static_cast<size_t>(n));
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        // Let the first layout settle before reading the memory.
        usleep(200 * 1000);
        rss.push_back(marlo::test::ResidentKb(pid));
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        close(out[0]);
        if (seen.find("ready\n") == std::string::npos) {
            std::fprintf(stderr, "run %d: the program did not report ready\n", run);
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::sort(rss.begin(), rss.end());
    std::printf("startup to laid-out main window: median %.1f ms, worst %.1f ms (%d runs)\n",
                times[times.size() / 2], times.back(), runs);
    std::printf("resident memory after start: median %.1f MB, worst %.1f MB\n",
                static_cast<double>(rss[rss.size() / 2]) / 1024.0,
                static_cast<double>(rss.back()) / 1024.0);
    return 0;
}
