// The transport's own costs: listing a machine with many HID nodes, and one 64-byte write and
// read through a simulated node (no USB timing, so only the software is measured).
#include <benchmark/benchmark.h>

#include "hid/HidInterface.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"

namespace {

void BM_Enumerate64Nodes(benchmark::State& state) {
    marlo::test::TempDir dir;
    marlo::sim::SimServer server(dir.path());
    for (int i = 0; i < 64; ++i) {
        server.Plug("mouse" + std::to_string(i), marlo::sim::SimCatalog::Create("mouse"));
    }
    marlo::hid::HidInterface lister;
    lister.SetRoot(dir.path());
    for (auto _ : state) {
        lister.Enumerate();
        benchmark::DoNotOptimize(lister.pathCount());
    }
    state.counters["paths"] = static_cast<double>(lister.pathCount());
}
BENCHMARK(BM_Enumerate64Nodes)->Unit(benchmark::kMicrosecond);

void BM_WriteReadRoundTrip(benchmark::State& state) {
    marlo::test::TempDir dir;
    marlo::sim::SimServer server(dir.path());
    const auto node = server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard"));
    marlo::hid::HidInterface hid;
    hid.Open((dir.path() / "dev" / *node).string() + "#vid_320f&pid_5055&mi_01&col04", true, true,
             true, false);
    uint8_t request[64] = {4, 1, 0, 1};
    uint8_t answer[64];
    uint32_t n = 0;
    for (auto _ : state) {
        hid.Write(request, 64, &n, 1000);
        if (hid.Read(answer, 64, &n, 1000) != 1) {
            state.SkipWithError("no answer");
            break;
        }
    }
}
BENCHMARK(BM_WriteReadRoundTrip)->Unit(benchmark::kMicrosecond);

}  // namespace
