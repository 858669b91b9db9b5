// Reading the keyboard and applying a whole profile to it (key table, lighting block and a
// 2 KB macro image), with the link paced as full-speed USB (one report per millisecond each
// way). Reported against the floor: 2 ms for every exchange the sequence needs, plus the 10 ms
// the keyboard is given before every end command (`ratio_to_floor`); `ratio_to_usb` leaves
// those pauses out. PHASES=1 prints each run's phases (reading the tables, the block, applying)
// with their exchanges.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "pages/ZentrixKeyboardDevice.h"
#include "profiles/MacroList.h"
#include "sim/CommandDevice.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

using marlo::pages::CZentrixKeyboardDevice;

struct Rig {
    Rig()
        : server(dir.path() / "hid", Options()),
          data("XDG_DATA_HOME", (dir / "data").string()),
          resources("MARLO_RESOURCE_DIR", std::string(MARLO_DATA_DIR)) {
        const auto node = server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard"));
        keyboard.channel().OpenInterface(
            marlo::hid::CommandChannel::Path::kCable,
            (dir.path() / "hid/dev" / *node).string() + "#vid_320f&pid_5055&mi_01&col04");
        keyboard.channel().SetConnected(true);
        keyboard.channel().SetMode(1);
        // Two macros of 250 key events: 16 + 12 + 2000 bytes.
        marlo::profiles::MacroList list(keyboard.UserDataFolder());
        list.LoadMacroList();
        for (int m = 0; m < 2; ++m) {
            list.NewMacro();
            std::vector<marlo::profiles::MacroList::ActionRow> rows(
                250, {"10", R"({"Action":"down","Type":10,"Button":4,"Delay":"10"})"});
            list.SaveMacro(m, rows);
        }
        keyboard.ReadKeyTables();
        keyboard.LoadProfile();
        keyboard.SetKeyAssignment(0, 0x700000);
        keyboard.SetKeyAssignment(1, 0x700100);
        keyboard.SaveProfile();
    }
    static marlo::sim::SimServer::Options Options() {
        marlo::sim::SimServer::Options o;
        o.usbTiming = true;
        return o;
    }
    // The requests the keyboard has had: all of them, and the end commands among them.
    std::pair<size_t, size_t> Requests() {
        std::pair<size_t, size_t> n{};
        server.WithDevice("keyboard", [&](marlo::sim::SimDevice& d) {
            const auto& log = dynamic_cast<marlo::sim::CommandDevice&>(d).requestLog();
            n.first = log.size();
            n.second = static_cast<size_t>(std::count_if(
                log.begin(), log.end(), [](const auto& r) { return r.command == kEndCommand; }));
        });
        return n;
    }
    size_t Exchanges() { return Requests().first; }
    static constexpr uint8_t kEndCommand = 0x02;
    marlo::test::TempDir dir;
    marlo::sim::SimServer server;
    marlo::test::ScopedEnv data;
    marlo::test::ScopedEnv resources;
    CZentrixKeyboardDevice keyboard;
};

void BM_ReadAndApplyProfileWithUsbTiming(benchmark::State& state) {
    Rig rig;
    size_t exchanges = 0;
    size_t ends = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto [before, endsBefore] = rig.Requests();
        const auto start = std::chrono::steady_clock::now();
        rig.keyboard.ReadKeyTables();
        const auto t1 = std::chrono::steady_clock::now();
        const size_t e1 = rig.Exchanges();
        rig.keyboard.ReadLightingBlock();
        const auto t2 = std::chrono::steady_clock::now();
        const size_t e2 = rig.Exchanges();
        const int macros = rig.keyboard.driver().ApplyProfile();
        const size_t e3 = rig.Exchanges();
        const auto t3 = std::chrono::steady_clock::now();
        if (std::getenv("PHASES")) {
            std::fprintf(stderr,
                         "read %zu in %.1f ms, block %zu in %.1f ms, apply %zu in %.1f ms\n",
                         e1 - before, std::chrono::duration<double, std::milli>(t1 - start).count(),
                         e2 - e1, std::chrono::duration<double, std::milli>(t2 - t1).count(),
                         e3 - e2, std::chrono::duration<double, std::milli>(t3 - t2).count());
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (macros != 0 || rig.keyboard.lastWriteFailed()) {
            state.SkipWithError("the keyboard did not take the profile");
            break;
        }
        const auto [after, endsAfter] = rig.Requests();
        exchanges += after - before;
        ends += endsAfter - endsBefore;
    }
    const double runs = static_cast<double>(state.iterations());
    const double usbMs = 2.0 * static_cast<double>(exchanges) / runs;
    const double floorMs = usbMs + 10.0 * static_cast<double>(ends) / runs;
    const double ms = seconds * 1000.0 / runs;
    state.counters["exchanges"] = static_cast<double>(exchanges) / runs;
    state.counters["end_pauses"] = static_cast<double>(ends) / runs;
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio_to_floor"] = ms / floorMs;
    state.counters["ratio_to_usb"] = ms / usbMs;
}
BENCHMARK(BM_ReadAndApplyProfileWithUsbTiming)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
