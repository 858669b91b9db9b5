// The simulator's two inputs from outside: console lines (its terminal and control socket),
// and requests written to an emulated device. Lines come from the first part of the input;
// the rest is written, in 64-byte reports, to each kind of emulated device in memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include <unistd.h>

#include "sim/SimCatalog.h"
#include "sim/SimConsole.h"
#include "sim/SimServer.h"

namespace {

struct Rig {
    Rig()
        : server(std::filesystem::temp_directory_path() /
                 ("marlo-fuzz-console-" + std::to_string(getpid()))),
          console(server) {}
    marlo::sim::SimServer server;
    marlo::sim::SimConsole console;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t split = all.find('\0');
    const std::string_view lines = all.substr(0, split);
    size_t start = 0;
    while (start < lines.size()) {
        const size_t end = std::min(lines.find('\n', start), lines.size());
        rig.console.Execute(lines.substr(start, end - start));
        start = end + 1;
    }
    // What this input plugged goes again, so runs stay independent.
    for (const std::string& name : rig.server.Names()) {
        rig.server.Unplug(name);
    }
    if (split == std::string_view::npos) {
        return 0;
    }
    const std::string_view requests = all.substr(split + 1);
    for (const char* kind : {"keyboard", "receiver", "headset", "mouse"}) {
        auto device = marlo::sim::SimCatalog::Create(kind);
        if (!device) {
            continue;
        }
        for (size_t at = 0; at < requests.size(); at += 64) {
            const std::string_view chunk = requests.substr(at, 64);
            device->HandleOutput(
                std::span(reinterpret_cast<const uint8_t*>(chunk.data()), chunk.size()));
        }
        device->Dump();
    }
    return 0;
}
