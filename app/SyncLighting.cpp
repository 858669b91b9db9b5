#include "SyncLighting.h"

#include <algorithm>
#include <array>

#include "DeviceList.h"
#include "devices/DeviceDriver.h"
#include "devices/LightTables.h"
#include "pages/ZentrixUSBDevice.h"
#include "platform/DebugOutput.h"

namespace marlo::app {

using devices::LightTables;

namespace {

constexpr std::array<int, 5> kThresholds = {28, 23, 18, 13, 7};
// Frames per half period of flashing.
constexpr uint32_t kFlashFrames = 16;

uint32_t Pack(uint8_t red, uint8_t green, uint8_t blue, uint8_t level) {
    return uint32_t{red} | (uint32_t{green} << 8) | (uint32_t{blue} << 16) |
           (uint32_t{level} << 24);
}

}  // namespace

int SyncLighting::EffectOf(int modeValue) {
    using Device = devices::DeviceDriver;
    switch (modeValue) {
        case Device::kModeColourCycle: return kColourCycle;
        case Device::kModeBreathing: return kBreathing;
        case Device::kModeBlink: return kFlashing;
        case Device::kModeOff: return kOff;
        default: return kSteady;
    }
}

int SyncLighting::Threshold(int speed) {
    return kThresholds[static_cast<size_t>(std::clamp(speed, 0, 4))];
}

uint32_t SyncLighting::Frame(const Settings& s, uint32_t step) {
    const uint8_t level = LightTables::Level(s.brightness);
    const devices::Rgb fixed{static_cast<uint8_t>(s.colour >> 16),
                             static_cast<uint8_t>(s.colour >> 8), static_cast<uint8_t>(s.colour)};
    // With the colour-cycle switch on, breathing and flashing walk the wheel as they go.
    const devices::Rgb colour =
        s.colourCycle ? LightTables::ColourWheel((step / 4) % LightTables::kWheelSteps) : fixed;
    switch (s.effect) {
        case kBreathing: {
            const uint32_t curve = LightTables::BreathingCurve(step % LightTables::kBreathingSteps);
            return Pack(colour.red, colour.green, colour.blue,
                        static_cast<uint8_t>(curve * level / 255));
        }
        case kSteady:
            return Pack(fixed.red, fixed.green, fixed.blue, level);
        case kFlashing:
            return (step / kFlashFrames) % 2 == 0
                       ? Pack(colour.red, colour.green, colour.blue, level)
                       : Pack(colour.red, colour.green, colour.blue, 0);
        case kColourCycle: {
            const devices::Rgb wheel = LightTables::ColourWheel(step % LightTables::kWheelSteps);
            return Pack(wheel.red, wheel.green, wheel.blue, level);
        }
        default:
            return 0;
    }
}

void SyncLighting::SetSettings(const Settings& settings) {
    effect_ = settings.effect;
    speed_ = settings.speed;
    brightness_ = settings.brightness;
    colourCycle_ = settings.colourCycle;
    colour_ = settings.colour;
    settingsChanged_.Set();
}

SyncLighting::Settings SyncLighting::settings() const {
    return {effect_.load(), speed_.load(), brightness_.load(), colourCycle_.load(), colour_.load()};
}

bool SyncLighting::AnyTakesPart(bool* anyOption) const {
    *anyOption = false;
    for (const auto kind : {CDeviceList::kMouse, CDeviceList::kKeyboard, CDeviceList::kMousePad,
                            CDeviceList::kHeadset}) {
        for (const pages::CZentrixUSBDevice* device : devices_.Devices(kind)) {
            if (device->deviceDriver().syncOption()) {
                *anyOption = true;
                if (device->IsConnected()) {
                    return true;
                }
            }
        }
    }
    return false;
}

void SyncLighting::Hand(uint32_t frame) const {
    for (const auto kind : {CDeviceList::kMouse, CDeviceList::kMousePad, CDeviceList::kHeadset,
                            CDeviceList::kKeyboard}) {
        for (pages::CZentrixUSBDevice* device : devices_.Devices(kind)) {
            device->deviceDriver().SetSyncFrame(frame);
        }
    }
}

void SyncLighting::Run(platform::Event& stop) {
    // The stop event is not reset here: a stop asked for before the thread ran would be lost.
    int counter = 0;
    uint32_t frameStep = 0;
    uint64_t lastTick = platform::MonotonicMs();
    for (;;) {
        if (stop.Wait(1)) {
            platform::DebugOutput::Write("同步灯光线程设定退出");
            return;
        }
        bool anyOption = false;
        if (!AnyTakesPart(&anyOption)) {
            // A device that takes part may connect again: looked at every second. With none
            // taking part the thread sleeps until the person asks for the effect.
            const uint32_t wait = anyOption ? 1000 : platform::kInfinite;
            if (const auto woke = platform::WaitAny({&stop, &settingsChanged_}, wait);
                woke && *woke == 0) {
                platform::DebugOutput::Write("同步灯光线程设定退出");
                return;
            }
            continue;
        }
        if (const uint64_t now = platform::MonotonicMs(); now - lastTick > 1) {
            lastTick = now;
            ++counter;
        }
        const Settings s = settings();
        if (counter >= Threshold(s.speed)) {
            counter = 0;
            Hand(Frame(s, frameStep++));
        }
    }
}

}  // namespace marlo::app
