#include "devices/KeyboardKeyReader.h"

#include <algorithm>
#include <array>

#include "devices/KeyIdentityTable.h"
#include "devices/ThreadStop.h"
#include "hid/HidPath.h"
#include "platform/DebugOutput.h"

namespace marlo::devices {
namespace {

constexpr size_t kBootReportBytes = 8;
constexpr uint32_t kReadSliceMs = 100;

// The position of each keyboard usage and each modifier bit, from the factory codes.
struct UsagePositions {
    std::array<int16_t, 256> usage{};
    std::array<int16_t, 8> modifier{};
    UsagePositions() {
        usage.fill(-1);
        modifier.fill(-1);
        const auto& codes = KeyIdentityCodes();
        for (int p = 0; p < kKeyPositions; ++p) {
            const uint32_t code = codes[static_cast<size_t>(p)];
            if ((code >> 16) != 0x20) {
                continue;
            }
            const uint8_t bits = (code >> 8) & 0xFF;
            const uint8_t key = code & 0xFF;
            if (bits == 0 && key != 0 && usage[key] < 0) {
                usage[key] = static_cast<int16_t>(p);
            }
            for (size_t b = 0; b < 8; ++b) {
                if (key == 0 && bits == (1u << b) && modifier[b] < 0) {
                    modifier[b] = static_cast<int16_t>(p);
                }
            }
        }
    }
};

const UsagePositions& Positions() {
    static const UsagePositions positions;
    return positions;
}

}  // namespace

std::optional<std::string> KeyboardKeyReader::FindKeyInterface(const std::string& commandPath) {
    const uint32_t vendor = hid::HidPath::NumberAfter(commandPath, "vid_");
    const uint32_t product = hid::HidPath::NumberAfter(commandPath, "pid_");
    hid::HidInterface lister;
    lister.SetRoot(hid::HidPath::Root(commandPath));
    lister.Enumerate();
    while (const auto path = lister.NextPath()) {
        if (hid::HidPath::NumberAfter(*path, "vid_") == vendor &&
            hid::HidPath::NumberAfter(*path, "pid_") == product &&
            hid::HidPath::InterfaceNumber(*path) == 0) {
            return path;
        }
    }
    return std::nullopt;
}

bool KeyboardKeyReader::Start(const std::string& path, PressHandler onPress) {
    Stop();
    if (!hid_.Open(path, true, false, true, false)) {
        return false;
    }
    onPress_ = std::move(onPress);
    thread_.Start([this](platform::Event& stop) { Run(stop); }, "key reader");
    return true;
}

void KeyboardKeyReader::Stop() {
    if (thread_.IsRunning()) {
        StopDeviceThread(thread_);
    }
    hid_.Close();
}

std::vector<int> KeyboardKeyReader::NewlyPressed(std::span<const uint8_t> previous,
                                                 std::span<const uint8_t> report) {
    std::vector<int> pressed;
    if (report.size() < kBootReportBytes) {
        return pressed;
    }
    const auto was = [&](size_t i) { return i < previous.size() ? previous[i] : uint8_t{0}; };
    const UsagePositions& positions = Positions();
    const uint8_t newModifiers = report[0] & static_cast<uint8_t>(~was(0));
    for (size_t b = 0; b < 8; ++b) {
        if ((newModifiers & (1u << b)) != 0 && positions.modifier[b] >= 0) {
            pressed.push_back(positions.modifier[b]);
        }
    }
    for (size_t i = 2; i < kBootReportBytes; ++i) {
        const uint8_t usage = report[i];
        if (usage <= 3) {
            continue;  // none, or the keyboard's error codes for too many keys
        }
        bool before = false;
        for (size_t j = 2; j < kBootReportBytes; ++j) {
            before = before || was(j) == usage;
        }
        if (!before && positions.usage[usage] >= 0) {
            pressed.push_back(positions.usage[usage]);
        }
    }
    return pressed;
}

void KeyboardKeyReader::Run(platform::Event& stop) {
    std::array<uint8_t, 64> buffer{};
    std::array<uint8_t, kBootReportBytes> previous{};
    for (;;) {
        if (stop.Wait(0)) {
            return;
        }
        uint32_t got = 0;
        // In slices, so that the stop event is seen while the keyboard is idle.
        if (hid_.Read(buffer.data(), static_cast<uint32_t>(buffer.size()), &got, kReadSliceMs) !=
            1) {
            if (hid_.lastReadFailure() != hid::HidInterface::Failure::kTimeout &&
                stop.Wait(kReadSliceMs)) {
                return;  // the interface went away: wait for the stop
            }
            continue;
        }
        // Byte 0 is the report ID (0 for an interface without them); the keyboard report is
        // the one without an ID or with ID 1.
        if (got < 1 + kBootReportBytes || buffer[0] > 1) {
            continue;
        }
        const std::span<const uint8_t> report(buffer.data() + 1, kBootReportBytes);
        for (const int position : NewlyPressed(previous, report)) {
            onPress_(position);
        }
        std::copy(report.begin(), report.end(), previous.begin());
    }
}

}  // namespace marlo::devices
