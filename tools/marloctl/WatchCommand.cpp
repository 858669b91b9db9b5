// marloctl watch and marloctl devices: hot-plug discovery as the program runs it.
#include <signal.h>

#include <atomic>
#include <charconv>
#include <cstdio>

#include "Commands.h"
#include "hid/DeviceDiscovery.h"
#include "platform/MessageRegistry.h"

namespace marloctl {
namespace {

std::atomic<bool> gInterrupted{false};

void OnSignal(int) {
    gInterrupted = true;
}

}  // namespace

int WatchCommand(Args args) {
    uint32_t seconds = 0;  // 0: until interrupted
    if (args.size() == 2 && args[0] == "--seconds") {
        const auto [end, ec] =
            std::from_chars(args[1].data(), args[1].data() + args[1].size(), seconds);
        if (ec != std::errc() || end != args[1].data() + args[1].size()) {
            return Usage("watch [--seconds S]");
        }
    } else if (!args.empty()) {
        return Usage("watch [--seconds S]");
    }
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);

    using namespace marlo;
    const uint32_t instanceMessage = platform::MessageRegistry::Register("Marlo Gear");
    const uint64_t start = platform::MonotonicMs();
    hid::DeviceSlots slots;
    platform::MessageLoop loop;
    const platform::WindowHandle window =
        loop.CreateWindow([&](uint32_t message, uintptr_t w, intptr_t) -> intptr_t {
            const auto ms = static_cast<unsigned long long>(platform::MonotonicMs() - start);
            if (message == hid::DeviceDiscovery::kDeviceAttached) {
                std::printf("%llu attached %zu %s\n", ms, static_cast<size_t>(w),
                            slots.Get(w).devicePath.c_str());
            } else if (message == hid::DeviceDiscovery::kDeviceDetached) {
                std::printf("%llu detached %zu\n", ms, static_cast<size_t>(w));
            } else if (message == instanceMessage) {
                std::printf("%llu ready\n", ms);
            }
            std::fflush(stdout);
            return 0;
        });
    hid::DeviceDiscovery discovery(slots, loop, window, instanceMessage);
    discovery.Start();
    const uint64_t end = start + uint64_t{seconds} * 1000;
    while (!gInterrupted && (seconds == 0 || platform::MonotonicMs() < end)) {
        loop.RunFor(50);
    }
    discovery.Stop(platform::kInfinite);
    return kOk;
}

std::array<marlo::hid::SupportedDeviceRecord, marlo::hid::kSupportedDeviceCount> DiscoveryPass() {
    using namespace marlo;
    hid::DeviceSlots slots;
    platform::MessageLoop loop;
    const platform::WindowHandle window =
        loop.CreateWindow([](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; });
    hid::DeviceDiscovery discovery(slots, loop, window,
                                   platform::MessageRegistry::Register("Marlo Gear"));
    discovery.RunPass(nullptr);
    std::array<hid::SupportedDeviceRecord, hid::kSupportedDeviceCount> found{};
    for (size_t i = 0; i < hid::kSupportedDeviceCount; ++i) {
        found[i] = slots.Get(i);
    }
    return found;
}

int DevicesCommand(Args args) {
    if (!args.empty()) {
        return Usage("devices");
    }
    using namespace marlo;
    const auto slots = DiscoveryPass();
    for (size_t i = 0; i < hid::kSupportedDeviceCount; ++i) {
        const hid::SupportedDeviceRecord& slot = slots[i];
        if (slot.attached != 0) {
            std::printf("%zu %u %u %s\n", i, slot.productCode, slot.collectionRole,
                        slot.devicePath.c_str());
        }
    }
    return kOk;
}

}  // namespace marloctl
