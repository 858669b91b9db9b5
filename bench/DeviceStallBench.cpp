// A keyboard that stalls, and the window's loop: how late a 5 ms turn of the UI thread's loop
// comes back while the keyboard takes nothing for seconds and the person keeps changing its
// lighting and keys. The main window on the headless display with the real skin, the keyboard
// emulated. Two ways are measured: the program's (the page hands the writes to the keyboard's
// own thread) and, for comparison, the same writes made on the UI thread, as a page that talks
// to its device itself would. A timing program, not a Google Benchmark.
//
//   bench_device_stall [SECONDS]   (default 10 per way)
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "CustomControls.h"
#include "MainWnd.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "platform/MessageRegistry.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"
#include "ui/HeadlessBackend.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace marlo;

constexpr int kTurnMs = 5;
constexpr int kStallMs = 1000;
constexpr int kChangeEveryMs = 250;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures {
    double worst = 0;
    double p99 = 0;
    size_t turns = 0;
    int changes = 0;
    int reported = 0;
};

// Runs the loop in 5 ms turns for `seconds` while the keyboard stalls again every second, and
// every 250 ms changes its lighting or its keys, by `change`.
template <typename Change>
Figures Measure(ui::HeadlessBackend& backend, sim::SimServer& server, int seconds, Change change) {
    std::vector<double> late;
    Figures f;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    auto nextStall = Clock::now();
    auto nextChange = Clock::now();
    while (Clock::now() < end) {
        const auto start = Clock::now();
        if (start >= nextStall) {
            server.Stall("keyboard", kStallMs);
            nextStall = start + std::chrono::milliseconds(kStallMs);
        }
        if (start >= nextChange) {
            change(f.changes++);
            nextChange = start + std::chrono::milliseconds(kChangeEveryMs);
        }
        backend.RunFor(kTurnMs);
        late.push_back(std::max(0.0, Ms(Clock::now() - start) - kTurnMs));
    }
    std::sort(late.begin(), late.end());
    f.turns = late.size();
    f.worst = late.empty() ? 0 : late.back();
    f.p99 = late.empty() ? 0 : late[late.size() * 99 / 100];
    return f;
}

void Print(const char* way, const Figures& f) {
    std::printf(
        "%s: 5 ms turn late by worst %.1f ms, p99 %.1f ms (%zu turns, %d changes, %d "
        "results shown)\n",
        way, f.worst, f.p99, f.turns, f.changes, f.reported);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    test::TempDir dir;
    std::filesystem::create_directories(dir / "run");
    chmod((dir / "run").c_str(), 0700);
    setenv("MARLO_RESOURCE_DIR", MARLO_DATA_DIR, 1);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
    sim::SimServer server(dir / "hid");
    ui::HeadlessBackend backend;
    ui::CPaintManagerUI::SetResourcePath(std::string(MARLO_DATA_DIR) + "/skin/");
    auto& resources = ui::CResourceManager::GetInstance();
    resources.LoadResource(std::string(MARLO_DATA_DIR) + "/skin/res.xml");
    resources.LoadLanguage("lang_en_US.xml");
    app::RegisterCustomControls();

    app::CMainWnd::Options options;
    options.hidRoot = dir / "hid";
    auto wnd = std::make_unique<app::CMainWnd>(platform::MessageRegistry::Register("Marlo Gear"),
                                               std::move(options));
    if (!wnd->Create(nullptr, "Marlo Gear", 0, 0, 800, 572)) {
        std::fprintf(stderr, "the window cannot be made\n");
        return 1;
    }
    server.Plug("keyboard", sim::SimCatalog::Create("keyboard"));
    pages::CZentrixKeyboardDevice* keyboard = nullptr;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        backend.RunFor(10);
        const auto found = wnd->devices()->Devices(app::CDeviceList::kKeyboard);
        keyboard =
            found.size() == 1 ? dynamic_cast<pages::CZentrixKeyboardDevice*>(found[0]) : nullptr;
        if (keyboard != nullptr && keyboard->readsAfterConnect() > 0 && !keyboard->work().busy()) {
            break;
        }
        keyboard = nullptr;
    }
    if (keyboard == nullptr) {
        std::fprintf(stderr, "the keyboard was not read\n");
        return 1;
    }

    int reported = 0;
    const auto lighting = [&](int n) {
        profiles::LightInfo light = keyboard->lightInfo();
        light.red = static_cast<uint8_t>(n * 37);
        return light;
    };
    Figures thread = Measure(backend, server, seconds, [&](int n) {
        if (n % 2 == 0) {
            keyboard->TakeLightSettings(lighting(n), [&](int, bool) { ++reported; });
        } else {
            keyboard->SetKeyAssignment(0, n % 4 == 1 ? 0x200005u : 0x200029u);
            keyboard->SaveKeys([&](int, bool) { ++reported; });
        }
    });
    thread.reported = reported;
    // What was still waiting on the keyboard's thread ends before the other way is measured.
    server.Stall("keyboard", 0);
    while (keyboard->work().busy()) {
        backend.RunFor(10);
    }
    reported = 0;
    Figures inline_ = Measure(backend, server, seconds, [&](int n) {
        if (n % 2 == 0) {
            keyboard->driver().TakeLightSettings(lighting(n));
        } else {
            keyboard->SetKeyAssignment(0, n % 4 == 1 ? 0x200005u : 0x200029u);
            keyboard->driver().SaveKeys();
        }
        ++reported;
    });
    inline_.reported = reported;
    Print("writes on the keyboard's own thread", thread);
    Print("the same writes on the UI thread", inline_);
    wnd->devices()->StopDeviceThreads();
    wnd.reset();
    resources.Release();
    return 0;
}
