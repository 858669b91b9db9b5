// What the keyboard's lighting costs the program: marlo-gear on Qt's offscreen platform with
// the emulated keyboard under USB timing, one run per mode family (a still mode, an animated
// one, a reactive one with no keys pressed, the music mode without sound, and the host
// animation streamed as fast as the link allows). Each run reports the program's CPU over a
// span (default 20 s: shorter spans are noisy) and, for the streamed mode, the frames the
// keyboard received per second against what the link allows (⌈slots·3 / 56⌉ exchanges of 2 ms
// per frame). A second argument runs only the family of that mode. A timing program, not a
// Google Benchmark.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/KeyboardModel.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/ChildProgram.h"
#include "support/ProcessStats.h"
#include "support/TempDir.h"

namespace {

struct Family {
    const char* name;
    int mode;
};

uint64_t FrameChunks(marlo::sim::SimServer& server) {
    const auto dump = server.Dump("keyboard");
    return dump ? (*dump)["frameChunks"].asUInt64() : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string bin = MARLO_BIN_DIR;
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const int onlyMode = argc > 2 ? std::atoi(argv[2]) : -1;  // one family, by its mode
    const Family families[] = {
        {"static (3)", 3},
        {"animated: wave (1)", 1},
        {"reactive, idle (6)", 6},
        {"music, no sound (29)", 29},
        {"host animation, streamed (30)", 30},
    };
    constexpr size_t kSlots = marlo::sim::KeyboardModel::kKeySlots;
    const size_t chunksPerFrame = (kSlots * 3 + 55) / 56;
    const double linkFps = 1000.0 / (2.0 * static_cast<double>(chunksPerFrame));
    int status = 0;
    for (const Family& f : families) {
        if (onlyMode >= 0 && f.mode != onlyMode) {
            continue;
        }
        marlo::test::TempDir dir;
        mkdir((dir / "run").c_str(), 0700);
        marlo::sim::SimServer::Options options;
        options.usbTiming = true;
        marlo::sim::SimServer server(dir / "hid", options);
        server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard"));
        server.Plug("keyboard-if0", marlo::sim::SimCatalog::Create("keyboard-if0"));
        const std::string root = (dir / "hid").string();
        // The mode goes into the profile first; the program then starts in it.
        if (marlo::test::WaitProgram(marlo::test::LaunchProgram(
                bin + "/marloctl",
                {"--hid-root", root, "keyboard", "lighting", "--mode", std::to_string(f.mode)},
                dir)) != 0) {
            std::fprintf(stderr, "%s: marloctl could not set the mode\n", f.name);
            status = 1;
            continue;
        }
        const pid_t pid =
            marlo::test::LaunchProgram(bin + "/marlo-gear", {"--hid-root", root}, dir);
        sleep(4);  // started, the keyboard read, the thread running
        const double cpuBefore = marlo::test::CpuSeconds(pid);
        const uint64_t chunksBefore = FrameChunks(server);
        sleep(static_cast<unsigned>(seconds));
        const double cpu = marlo::test::CpuSeconds(pid) - cpuBefore;
        const uint64_t chunks = FrameChunks(server) - chunksBefore;
        const double fps = static_cast<double>(chunks) / static_cast<double>(chunksPerFrame) /
                           static_cast<double>(seconds);
        std::printf("%-32s CPU %5.2f %% of one core", f.name, 100.0 * cpu / seconds);
        if (chunks > 0) {
            std::printf(", %.1f frames/s sent (link allows %.1f: %.2f x)", fps, linkFps,
                        fps / linkFps);
        }
        std::printf("\n");
        std::fflush(stdout);
        kill(pid, SIGTERM);
        marlo::test::WaitProgram(pid);
    }
    return status;
}
