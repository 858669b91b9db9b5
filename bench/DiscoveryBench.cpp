// Discovery's costs: one pass over a machine with 64 unrelated HID nodes, the thread's CPU
// while nothing changes (10 s), and the time from plugging a device to "device attached".
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "hid/DeviceDiscovery.h"
#include "platform/MessageRegistry.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"

namespace {

using namespace marlo;

double CpuSeconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Machine {
    Machine() : server(dir.path()) {
        for (int i = 0; i < 64; ++i) {
            server.Plug("mouse" + std::to_string(i), sim::SimCatalog::Create("mouse"));
        }
        window = loop.CreateWindow([this](uint32_t m, uintptr_t, intptr_t) -> intptr_t {
            if (m == hid::DeviceDiscovery::kDeviceAttached) {
                attachedAt = std::chrono::steady_clock::now();
            }
            return 0;
        });
    }
    test::TempDir dir;
    sim::SimServer server;
    hid::DeviceSlots slots;
    platform::MessageLoop loop;
    platform::WindowHandle window = 0;
    std::chrono::steady_clock::time_point attachedAt;
};

void BM_DiscoveryPass64Nodes(benchmark::State& state) {
    Machine m;
    hid::DeviceDiscovery discovery(m.slots, m.loop, m.window,
                                   platform::MessageRegistry::Register("Marlo Gear"));
    discovery.SetRoot(m.dir.path());
    for (auto _ : state) {
        discovery.RunPass(nullptr);
    }
}
BENCHMARK(BM_DiscoveryPass64Nodes)->Unit(benchmark::kMicrosecond);

void BM_DiscoveryIdleCpu10s(benchmark::State& state) {
    Machine m;
    hid::DeviceDiscovery discovery(m.slots, m.loop, m.window,
                                   platform::MessageRegistry::Register("Marlo Gear"));
    discovery.SetRoot(m.dir.path());
    for (auto _ : state) {
        discovery.Start();
        m.loop.RunFor(500);  // the first pass and the instance message
        const double cpu0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        m.loop.RunFor(10000);
        const double cpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        discovery.Stop(platform::kInfinite);
        state.counters["cpu_percent_of_one_core"] = cpu / 10.0 * 100.0;
    }
}
BENCHMARK(BM_DiscoveryIdleCpu10s)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_PlugToAttached(benchmark::State& state) {
    Machine m;
    hid::DeviceDiscovery discovery(m.slots, m.loop, m.window,
                                   platform::MessageRegistry::Register("Marlo Gear"));
    discovery.SetRoot(m.dir.path());
    discovery.Start();
    m.loop.RunFor(300);
    std::vector<double> latencies;
    int n = 0;
    for (auto _ : state) {
        // Plug at a random point of the pass cycle.
        m.loop.RunFor(static_cast<uint32_t>(17 * n % 100));
        m.attachedAt = {};
        const auto plugged = std::chrono::steady_clock::now();
        m.server.Plug("headset", sim::SimCatalog::Create("headset"));
        while (m.attachedAt == std::chrono::steady_clock::time_point{}) {
            m.loop.RunFor(1);
        }
        const double ms = std::chrono::duration<double, std::milli>(m.attachedAt - plugged).count();
        latencies.push_back(ms);
        ++n;
        m.server.Unplug("headset");
        m.loop.RunFor(250);  // let the removal be seen
    }
    std::sort(latencies.begin(), latencies.end());
    double total = 0;
    for (const double ms : latencies) {
        total += ms;
    }
    state.counters["mean_ms"] = total / static_cast<double>(latencies.size());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["worst_ms"] = latencies.back();
    discovery.Stop(platform::kInfinite);
}
BENCHMARK(BM_PlugToAttached)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
