// Another program's commands while marlo-gear streams the keyboard's lighting: the program on
// Qt's offscreen platform with the emulated keyboard under USB timing in the host-streamed mode
// (30), and marloctl setting the polling rate and reading the settings block, one after the
// other (default 100 rounds each). Reports how many were taken, the median and the worst
// time of one command, and the frames the stream kept sending meanwhile. A timing program,
// not a Google Benchmark.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/ChildProgram.h"
#include "support/TempDir.h"

namespace {

uint64_t FrameChunks(marlo::sim::SimServer& server) {
    const auto dump = server.Dump("keyboard");
    return dump ? (*dump)["frameChunks"].asUInt64() : 0;
}

struct Series {
    const char* name;
    int taken = 0;
    std::vector<double> ms;
    void Print(int rounds) {
        std::sort(ms.begin(), ms.end());
        std::printf("%-28s taken %d/%d, median %.0f ms, worst %.0f ms\n", name, taken, rounds,
                    ms.empty() ? 0.0 : ms[ms.size() / 2], ms.empty() ? 0.0 : ms.back());
    }
};

}  // namespace

int main(int argc, char** argv) {
    const std::string bin = MARLO_BIN_DIR;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    marlo::test::TempDir dir;
    mkdir((dir / "run").c_str(), 0700);
    marlo::sim::SimServer::Options options;
    options.usbTiming = true;
    marlo::sim::SimServer server(dir / "hid", options);
    const auto node = server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard"));
    const std::string root = (dir / "hid").string();
    const std::string path =
        root + "/dev/" + node.value_or("hidraw0") + "#vid_320f&pid_5055&mi_01&col04";
    if (marlo::test::WaitProgram(marlo::test::LaunchProgram(
            bin + "/marloctl", {"--hid-root", root, "keyboard", "lighting", "--mode", "30"},
            dir)) != 0) {
        std::fprintf(stderr, "marloctl could not set the streamed mode\n");
        return 1;
    }
    const pid_t program =
        marlo::test::LaunchProgram(bin + "/marlo-gear", {"--hid-root", root}, dir);
    sleep(4);  // started, the keyboard read, the stream running
    const uint64_t chunksBefore = FrameChunks(server);
    const auto started = std::chrono::steady_clock::now();
    Series set{"set polling-rate", 0, {}};
    Series read{"raw read 0 32", 0, {}};
    for (int i = 0; i < rounds; ++i) {
        for (Series* s : {&set, &read}) {
            const auto t0 = std::chrono::steady_clock::now();
            const std::vector<std::string> args =
                s == &set
                    ? std::vector<std::string>{"--hid-root", root,           "keyboard",
                                               "set",        "polling-rate", std::to_string(i % 4)}
                    : std::vector<std::string>{"--hid-root", root, "raw", path, "read", "0", "32"};
            s->taken += marlo::test::WaitProgram(
                            marlo::test::LaunchProgram(bin + "/marloctl", args, dir)) == 0;
            s->ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const uint64_t chunks = FrameChunks(server) - chunksBefore;
    set.Print(rounds);
    read.Print(rounds);
    std::printf("stream meanwhile: %.0f chunks/s\n", static_cast<double>(chunks) / seconds);
    kill(program, SIGTERM);
    marlo::test::WaitProgram(program);
    return set.taken == rounds && read.taken == rounds ? 0 : 1;
}
