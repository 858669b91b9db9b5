// The audio companion's load on the program: marlo-gear on Qt's offscreen platform, sent a
// spectrum 60 times a second on one kept connection (as marlo-audio sends them) for a span
// (default 30 s), with a second start of the program in the middle. Reports the spectra sent
// and refused ("busy" or any other error), the most threads the program had, its CPU over the
// span, and how long the second start took to be answered. A timing program, not a Google
// Benchmark.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/EndpointClient.h"
#include "support/ChildProgram.h"
#include "support/ProcessStats.h"
#include "support/TempDir.h"

namespace {

size_t Threads(pid_t pid) {
    size_t count = 0;
    std::error_code ec;
    for (auto it =
             std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        ++count;
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = std::string(MARLO_BIN_DIR) + "/marlo-gear";
    const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 30;
    marlo::test::TempDir dir;
    mkdir((dir / "run").c_str(), 0700);
    const pid_t pid = marlo::test::LaunchProgram(program, {}, dir);
    const auto socket = dir / "run/marlo-gear/endpoint.sock";
    for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    sleep(1);  // settled
    marlo::platform::EndpointClient client(socket);
    marlo::platform::EndpointRequest spectrum;
    spectrum.kind = marlo::platform::EndpointRequest::Kind::kCopyData;
    spectrum.dataKind = 1;
    spectrum.data = std::string(23, '\x40');
    const size_t threadsBefore = Threads(pid);
    size_t threadsMost = threadsBefore;
    int sent = 0;
    int busy = 0;
    int failed = 0;
    double secondStartMs = -1;
    pid_t second = -1;
    std::chrono::steady_clock::time_point secondStarted;
    const double cpuBefore = marlo::test::CpuSeconds(pid);
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    const auto end = start + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        const std::string error = client.Send(spectrum, 1000);
        ++sent;
        busy += error == "busy";
        failed += !error.empty() && error != "busy";
        threadsMost = std::max(threadsMost, Threads(pid));
        if (second < 0 &&
            std::chrono::steady_clock::now() >= start + std::chrono::seconds(seconds / 2)) {
            secondStarted = std::chrono::steady_clock::now();
            second = marlo::test::LaunchProgram(program, {}, dir);
        }
        if (second > 0 && secondStartMs < 0) {
            int status = 0;
            if (waitpid(second, &status, WNOHANG) == second) {
                secondStartMs = std::chrono::duration<double, std::milli>(
                                    std::chrono::steady_clock::now() - secondStarted)
                                    .count();
            }
        }
        next += std::chrono::microseconds(16667);
        std::this_thread::sleep_until(next);
    }
    const double span =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = marlo::test::CpuSeconds(pid) - cpuBefore;
    if (second > 0 && secondStartMs < 0) {
        waitpid(second, nullptr, 0);
    }
    std::printf("spectra sent %d (%.1f a second), busy %d, other errors %d\n", sent, sent / span,
                busy, failed);
    std::printf("program threads %zu before, %zu at most; CPU %.2f %% of one core\n", threadsBefore,
                threadsMost, 100.0 * cpu / span);
    std::printf("second start answered in %.0f ms\n", secondStartMs);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return busy == 0 && failed == 0 && secondStartMs >= 0 ? 0 : 1;
}
