#include "hid/DeviceDiscovery.h"

#include <poll.h>

#include <algorithm>

#include "hid/NodeChangeWatch.h"
#include "platform/DebugOutput.h"

namespace marlo::hid {

using platform::DebugOutput;

DeviceDiscovery::DeviceDiscovery(DeviceSlots& slots, platform::MessageLoop& loop,
                                 platform::WindowHandle window, uint32_t instanceMessage)
    : slots_(slots), loop_(loop), window_(window), instanceMessage_(instanceMessage) {}

DeviceDiscovery::~DeviceDiscovery() {
    Stop(platform::kInfinite);
}

bool DeviceDiscovery::Start() {
    return worker_.Start([this](platform::Event& stop) { Run(stop); }, "discovery");
}

platform::WorkerThread::StopResult DeviceDiscovery::Stop(uint32_t timeoutMs) {
    return worker_.Stop(timeoutMs);
}

void DeviceDiscovery::Run(platform::Event& stop) {
    NodeChangeWatch changes(hid_.root());
    for (;;) {
        if (stop.Wait(1)) {
            DebugOutput::Write("抓取设备线程设定退出");
            return;
        }
        passMissed_ = false;
        RunPass(&stop);
        // A pass that could not look at everything (a listing or a node that failed for a
        // moment) is tried again soon, then less and less often while it keeps failing.
        retryMs_ = !passMissed_    ? 0
                   : retryMs_ == 0 ? kPassIntervalMs
                                   : std::min(retryMs_ * 2, kWatchedPassIntervalMs);
        // Until the next poll, a change of the device nodes, or the stop signal (which the
        // next turn sees, and ends).
        pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {changes.fd(), POLLIN, 0}};
        const uint32_t interval = changes.fd() < 0 ? kPassIntervalMs
                                  : retryMs_ > 0   ? retryMs_
                                                   : kWatchedPassIntervalMs;
        if (poll(fds, 2, static_cast<int>(interval)) > 0 && (fds[1].revents & POLLIN)) {
            changes.Drain();
        }
    }
}

void DeviceDiscovery::RunPass(platform::Event* stop) {
    if (slots_.AnyFree()) {
        FindArrivals(stop);
    }
    CheckRemovals(stop);
}

void DeviceDiscovery::FindArrivals(platform::Event* stop) {
    if (!hid_.Enumerate()) {
        // A listing can fail for a moment (a device leaving, sysfs busy); hot-plug detection
        // must not end for the rest of the run because of it, so the next pass tries again.
        DebugOutput::Write("device enumeration failed; trying again on the next pass");
        passMissed_ = true;
        return;
    }
    while (const auto path = hid_.NextPath()) {
        if (stop != nullptr && stop->Wait(0)) {
            hid_.FreePaths();  // shutting down: the rest of the walk is of no use
            return;
        }
        SupportedDeviceRecord probe;
        probe.vendorId = PathVendorId(*path);
        probe.productId = PathProductId(*path);
        probe.collectionNumber = PathCollectionNumber(*path);
        probe.interfaceNumber = PathInterfaceNumber(*path);
        probe.devicePath = *path;
        if (!slots_.HasFreeSlotFor(probe.vendorId, probe.productId, probe.interfaceNumber,
                                   probe.collectionNumber)) {
            continue;
        }
        if (!hid_.Open(*path, true, false, true, false)) {
            passMissed_ = true;  // in use or going away: tried again on the next pass
            continue;
        }
        const HidAttributes attributes = hid_.attributes();
        const HidCapabilities caps = hid_.capabilities();
        probe.vendorId = attributes.vendorId;
        probe.productId = attributes.productId;
        probe.usagePage = caps.usagePage;
        probe.usage = caps.usage;
        hid_.Close();
        const auto row = slots_.RowFor(probe);
        if (!row) {
            continue;  // another collection of the same interface
        }
        probe.productCode = row->productCode;
        probe.collectionRole = row->collectionRole;
        if (const auto slot = slots_.ClaimFirstFree(probe, *path)) {
            loop_.SendMessage(window_, kDeviceAttached, *slot, 0, stop);
        }
    }
    if (firstPass_) {
        firstPass_ = false;
        loop_.PostMessage(window_, instanceMessage_, 0, 0);
    }
    hid_.FreePaths();
}

void DeviceDiscovery::CheckRemovals(platform::Event* stop) {
    for (size_t i = 0; i < kSupportedDeviceCount; ++i) {
        const SupportedDeviceRecord slot = slots_.Get(i);
        if (slot.attached == 0 || HidInterface::IsPresent(slot.devicePath)) {
            continue;
        }
        slots_.Release(i);
        loop_.SendMessage(window_, kDeviceDetached, i, 0, stop);
    }
}

}  // namespace marlo::hid
