#include "devices/DeviceDriver.h"

#include <memory>
#include <optional>
#include <vector>

#include "devices/ThreadStop.h"
#include "platform/DebugOutput.h"

namespace marlo::devices {

using platform::DebugOutput;

namespace {

// How long the event thread waits after a failed wait for a report (the node going, or closed).
constexpr uint32_t kEventRetryMs = 100;
// How long reports gather before the event thread takes them together.
constexpr uint32_t kEventGatherMs = 20;
// The lighting thread's tick: an effect steps every SpeedTicks of them.
constexpr uint32_t kTickMs = 2;
// How often the lighting thread looks again while the device is not connected.
constexpr uint32_t kClosedWaitMs = 100;

}  // namespace

DeviceDriver::~DeviceDriver() {
    Stop();  // normally done by the product's driver already
    channel_.SetConnected(false);
}

void DeviceDriver::Stop() {
    channel_.Abort();
    work_.Stop();
    StopLightingThread();
    CloseEventInterface();
}

void DeviceDriver::Removed() {
    work_.Stop();
    StopLightingThread();
}

void DeviceDriver::SetIdentity(const hid::SupportedDeviceRecord& record) {
    std::lock_guard lock(identityLock_);
    identity_ = record;
    productCode_ = record.productCode;
}

hid::SupportedDeviceRecord DeviceDriver::identity() const {
    std::lock_guard lock(identityLock_);
    return identity_;
}

void DeviceDriver::SetReceiver(bool viaReceiver) {
    receiver_ = viaReceiver;
    FrameOutdated();
}

bool DeviceDriver::ReadFirmwareVersion() {
    std::array<uint8_t, 32> info{};
    uint16_t version = 0;
    if (channel_.ReadInfo(info, &version) != 1) {
        return false;
    }
    firmwareVersion_ = version;
    return true;
}

int DeviceDriver::ReceiverLinkPresent() {
    if (!channel_.connected() || !receiver_) {
        return 0;
    }
    return channel_.CheckLink() == 1 ? 1 : 0;
}

void DeviceDriver::PollStatus(std::function<void(const CommandStatus&)> shown) {
    if (statusPending_.exchange(true)) {
        return;  // the last poll has not come back: the device is slow, not asked twice
    }
    auto status = std::make_shared<std::optional<CommandStatus>>();
    work_.Post(
        [this, status] {
            if (!channel_.connected() || channel_.CheckLink() != hid::kResultOk) {
                return;
            }
            CommandStatus read{};
            if (channel_.ReadStatus(0, read) == hid::kResultOk) {
                read[3] = channel_.receiverMode() ? 1 : 0;
                *status = read;
            }
        },
        [this, status, shown = std::move(shown)] {
            statusPending_ = false;
            if (*status && shown) {
                shown(**status);
            }
        });
}

void DeviceDriver::SetLightingControl(bool on) {
    lightingControl_ = on;
    FrameOutdated();
    WakeLighting();
    if (on && productCode_ == 1) {
        work_.Post([this] { channel_.LightingControl(); });
    }
}

void DeviceDriver::SendFrameLater(bool frameChanged) {
    if (!lightingControl_ || (!frameChanged && frameSent_)) {
        return;  // nothing new, and the device has it
    }
    if (receiver_ || !SendsFrames()) {
        frameSent_ = true;
        return;  // the page shows the frame; nothing is sent
    }
    work_.Post([this] { SendFrame(); }, {}, "frame");
}

void DeviceDriver::SendFrame() {
    // A frame that did not reach the device holds the next ones back for a moment.
    const uint64_t now = platform::MonotonicMs();
    if (now < streamHeldUntilMs_) {
        frameSent_ = false;
        return;
    }
    frameSent_ = channel_.StreamLighting(frame_.StreamBytes()) == hid::kResultOk;
    if (!frameSent_) {
        streamHeldUntilMs_ = now + kStreamHoldOffMs;
    }
}

void DeviceDriver::FrameOutdated() {
    frameSent_ = false;
    WakeFrame();
}

void DeviceDriver::SetFrameWakeHandler(std::function<void()> handler) {
    {
        std::lock_guard lock(handlerLock_);
        frameWake_ = std::move(handler);
    }
    frame_.SetChangeHandler([this] { WakeFrame(); });
}

void DeviceDriver::WakeFrame() {
    CallHandler(&DeviceDriver::frameWake_);
}

void DeviceDriver::CallHandler(std::function<void()> DeviceDriver::*which) {
    std::function<void()> handler;
    {
        std::lock_guard lock(handlerLock_);
        handler = this->*which;
    }
    if (handler) {
        handler();  // outside the lock: it may set another handler
    }
}

void DeviceDriver::SetSyncRequestHandler(std::function<void()> handler) {
    std::lock_guard lock(handlerLock_);
    syncRequested_ = std::move(handler);
}

void DeviceDriver::SyncRequested() {
    CallHandler(&DeviceDriver::syncRequested_);
}

void DeviceDriver::OnDeviceEvent(uint16_t code) {
    if (code != kSyncRequestCode) {
        return;
    }
    DebugOutput::Write("接收到自动添加设备的同步信息要求");
    SyncRequested();
}

void DeviceDriver::StartLightingThread() {
    StopLightingThread();
    lightingThread_.Start([this](platform::Event& stop) { RunLighting(stop); }, "lighting");
}

void DeviceDriver::StopLightingThread() {
    if (lightingThread_.IsRunning()) {
        StopDeviceThread(lightingThread_);
    }
}

void DeviceDriver::StepForMode(int mode) {
    const EffectSettings effect = CurrentEffect();
    std::lock_guard lock(effectLock_);
    switch (mode) {
        case kModeColourCycle:
            effects_.StepColourCycle(frame_, effect);
            break;
        case kModeBreathing:
            effects_.StepBreathing(frame_, effect);
            break;
        case kModeStatic:
            LightingEffects::StepStatic(frame_, effect);
            break;
        case kModeBlink:
            effects_.StepBlink(frame_, effect, platform::MonotonicMs());
            break;
        case kModeOff:
            LightingEffects::StepOff(frame_);
            break;
        default:
            break;  // a mode of the device's own: it shows what it was last sent
    }
}

void DeviceDriver::RunLighting(platform::Event& stop) {
    for (;;) {
        uint32_t waitMs = kClosedWaitMs;
        if (channel_.connected()) {
            const int mode = CurrentLightingMode();
            StepForMode(mode);
            // An effect moves one step every few ticks by its speed; a still one (static, off,
            // a mode of the device's own) waits for the next change of the lighting.
            const bool moving =
                mode == kModeColourCycle || mode == kModeBreathing || mode == kModeBlink;
            waitMs = moving
                         ? kTickMs *
                               static_cast<uint32_t>(LightTables::SpeedTicks(CurrentEffect().speed))
                         : platform::kInfinite;
        }
        if (const auto woke = platform::WaitAny({&stop, &lightingWake_}, waitMs);
            woke && *woke == 0) {
            DebugOutput::Write("MS灯光线程设定退出");
            return;
        }
    }
}

void DeviceDriver::WakeLighting() {
    lightingWake_.Set();
}

bool DeviceDriver::OpenEventInterface(const std::string& path) {
    if (!eventChannel_.connected()) {
        if (!eventChannel_.OpenInterface(hid::CommandChannel::Path::kCable, path)) {
            return false;
        }
        eventChannel_.SetConnected(true);
    }
    if (!eventThread_.IsRunning()) {
        eventThread_.Start([this](platform::Event& stop) { RunEvents(stop); }, "device events");
    }
    return true;
}

void DeviceDriver::CloseEventInterface() {
    if (!eventChannel_.connected() && !eventThread_.IsRunning()) {
        return;
    }
    StopDeviceThread(eventThread_);
    eventChannel_.SetConnected(false);
    eventChannel_.CloseInterface(hid::CommandChannel::Path::kCable);
}

void DeviceDriver::RunEvents(platform::Event& stop) {
    hid::HidInterface& events = eventChannel_.cable();
    std::vector<uint8_t> report(64);
    const auto ended = [] { DebugOutput::Write("MS设备同步线程设定退出"); };
    for (;;) {
        if (stop.Wait(0)) {
            return ended();
        }
        if (!eventChannel_.connected()) {
            stop.Wait(kEventRetryMs);
            continue;
        }
        // Every handle of the node gets every report, the answers to this program's commands
        // among them (hundreds a second while lighting streams): once one is there, the thread
        // lets the others gather for a moment and then takes them all, rather than waking for
        // each. The node's queue holds far more than gather meanwhile. The wait ends at the
        // stop event too; after a failure (the node going) it looks again after a while.
        if (!events.WaitForInput(platform::kInfinite, &stop)) {
            if (stop.Wait(0) || stop.Wait(kEventRetryMs)) {
                return ended();
            }
            continue;
        }
        if (stop.Wait(kEventGatherMs)) {
            return ended();
        }
        uint32_t got = 0;
        while (events.Read(report.data(), static_cast<uint32_t>(report.size()), &got, 0) == 1) {
            if (!events.DecodeInput(report.data(), got)) {
                continue;
            }
            const std::vector<hid::HidDataEntry> entries = events.inputEntries();
            if (!entries.empty() && !entries[0].usages.empty()) {
                DebugOutput::Write("接收到自动添加设备的同步信息要求  TEST");
                OnDeviceEvent(entries[0].usages[0]);
            }
        }
    }
}

}  // namespace marlo::devices
