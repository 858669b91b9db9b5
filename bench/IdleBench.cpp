// What the program costs while nothing happens: started as a person's session starts it (in
// the notification area, its window hidden), first with no device, then with the keyboard and
// the headset plugged in their factory lighting. For each span (default 20 s): the share of a
// core it used, and its wake-ups a second (the context switches of all its threads), with the
// threads that woke most. A timing program, not a Google Benchmark.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/HeadsetDevice.h"
#include "sim/KeyboardDevice.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/ChildProgram.h"
#include "support/ProcessStats.h"
#include "support/TempDir.h"

namespace {

using Switches = std::map<std::string, unsigned long long>;
constexpr uint8_t kStaticMode = 3;
constexpr uint8_t kWaveMode = 1;

// The span's CPU share and wake-ups, and the six threads that woke most.
void Measure(pid_t pid, const char* what, int seconds) {
    const Switches before = marlo::test::ThreadSwitches(pid);
    const double cpuBefore = marlo::test::CpuSeconds(pid);
    sleep(static_cast<unsigned>(seconds));
    const double cpu = marlo::test::CpuSeconds(pid) - cpuBefore;
    const Switches after = marlo::test::ThreadSwitches(pid);
    std::vector<std::pair<unsigned long long, std::string>> woke;
    unsigned long long total = 0;
    for (const auto& [thread, count] : after) {
        const auto was = before.find(thread);
        const unsigned long long n = count - (was != before.end() ? was->second : 0);
        total += n;
        woke.emplace_back(n, thread);
    }
    std::sort(woke.rbegin(), woke.rend());
    std::printf("%s: %.3f %% of one core, %.1f wake-ups/s over %d s (%zu threads)\n", what,
                100.0 * cpu / seconds, static_cast<double>(total) / seconds, seconds, after.size());
    for (size_t i = 0; i < woke.size() && i < 6 && woke[i].first > 0; ++i) {
        std::printf("    thread %s: %.1f/s\n", woke[i].second.c_str(),
                    static_cast<double>(woke[i].first) / seconds);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = std::string(MARLO_BIN_DIR) + "/marlo-gear";
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    marlo::test::TempDir dir;
    mkdir((dir / "run").c_str(), 0700);
    marlo::sim::SimServer server(dir / "hid");

    const pid_t pid =
        marlo::test::LaunchProgram(program, {"--hid-root", (dir / "hid").string()}, dir);
    sleep(3);  // started, its first discovery pass over
    int status = 1;
    if (waitpid(pid, nullptr, WNOHANG) != 0) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    Measure(pid, "no device, window hidden", seconds);
    // Both left in the static effect (mode 3): the program takes it from them.
    auto keyboard = marlo::sim::SimCatalog::Create("keyboard");
    auto headset = marlo::sim::SimCatalog::Create("headset");
    dynamic_cast<marlo::sim::KeyboardDevice&>(*keyboard).model().settings()[1] = kStaticMode;
    dynamic_cast<marlo::sim::HeadsetDevice&>(*headset).settings()[1] = kStaticMode;
    server.Plug("keyboard", std::move(keyboard));
    server.Plug("headset", std::move(headset));
    sleep(3);  // attached and read
    Measure(pid, "keyboard and headset in a static effect, window hidden", seconds);
    // The keyboard again, in wave: an effect the keyboard animates itself.
    server.Unplug("keyboard");
    sleep(1);
    keyboard = marlo::sim::SimCatalog::Create("keyboard");
    dynamic_cast<marlo::sim::KeyboardDevice&>(*keyboard).model().settings()[1] = kWaveMode;
    server.Plug("keyboard", std::move(keyboard));
    sleep(3);
    Measure(pid, "keyboard in wave (its own animation), window hidden", seconds);
    status = 0;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return status;
}
