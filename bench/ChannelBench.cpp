// The command channel through a simulated keyboard: the software's own cost per exchange
// (no link timing), and a full 512-byte block write with the link paced as full-speed USB
// (one report per millisecond each way), against the floor of ten 2 ms round trips.
#include <benchmark/benchmark.h>

#include <vector>

#include "hid/CommandChannel.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"

namespace {

struct Rig {
    explicit Rig(bool usbTiming) : server(dir.path(), Options(usbTiming)) {
        const auto node = server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard"));
        channel.cable().Open(
            (dir.path() / "dev" / *node).string() + "#vid_320f&pid_5055&mi_01&col04", true, true,
            true, false);
        channel.SetConnected(true);
        channel.SetMode(1);
    }
    static marlo::sim::SimServer::Options Options(bool usbTiming) {
        marlo::sim::SimServer::Options o;
        o.usbTiming = usbTiming;
        return o;
    }
    marlo::test::TempDir dir;
    marlo::sim::SimServer server;
    marlo::hid::CommandChannel channel;
};

void BM_Exchange(benchmark::State& state) {
    Rig rig(false);
    for (auto _ : state) {
        if (rig.channel.Begin() != marlo::hid::kResultOk) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_Exchange)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_BlockWrite512WithUsbTiming(benchmark::State& state) {
    Rig rig(true);
    const std::vector<uint8_t> block(512, 0x20);
    for (auto _ : state) {
        if (rig.channel.WriteBlock(block, 0) != marlo::hid::kResultOk) {
            state.SkipWithError("block write failed");
            break;
        }
    }
    // Ten reports of 56 bytes (the last 8), each a 2 ms round trip at best.
    state.counters["floor_ms"] = 20;
}
BENCHMARK(BM_BlockWrite512WithUsbTiming)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50);

}  // namespace
