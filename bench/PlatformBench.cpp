// The costs every worker and every save pays: waking a thread through an event, and
// replacing a profile-sized document atomically.
#include <benchmark/benchmark.h>

#include <thread>

#include "platform/Event.h"
#include "platform/JsonDocument.h"
#include "support/TempDir.h"

namespace {

using marlo::platform::Event;
using marlo::platform::kInfinite;

void BM_EventPingPong(benchmark::State& state) {
    Event ping(Event::Reset::kAuto);
    Event pong(Event::Reset::kAuto);
    Event stop(Event::Reset::kManual);
    std::thread peer([&] {
        while (marlo::platform::WaitAny({&stop, &ping}, kInfinite) == 1u) {
            pong.Set();
        }
    });
    for (auto _ : state) {
        ping.Set();
        pong.Wait(kInfinite);
    }
    stop.Set();
    peer.join();
}
BENCHMARK(BM_EventPingPong);

void BM_AtomicProfileWrite(benchmark::State& state) {
    marlo::test::TempDir dir;
    Json::Value doc(Json::objectValue);
    for (int i = 0; i < 170; ++i) {
        doc["Device"][0]["KeyList"].append(i << 8);
    }
    const auto file = dir / "profile.Json";
    for (auto _ : state) {
        benchmark::DoNotOptimize(marlo::platform::JsonDocument::Write(file, doc));
    }
}
BENCHMARK(BM_AtomicProfileWrite)->Unit(benchmark::kMicrosecond);

}  // namespace
