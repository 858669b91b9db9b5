// marloctl headset: the first headset's audio settings and lights, through its driver.
#include <cmath>
#include <cstdio>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ArgNumbers.h"
#include "Commands.h"
#include "devices/HeadsetDriver.h"
#include "devices/HeadsetLightReports.h"
#include "platform/Paths.h"
#include "profiles/NameRules.h"

namespace marloctl {
namespace {

using namespace marlo;
using devices::HeadsetDriver;

constexpr const char* kUsage =
    "headset show|set NAME VALUE|eq save|delete|select NAME|lighting --color R,G,B [--level L]";

// The first headset's command interface, found as the program finds it.
std::optional<std::string> FindHeadset() {
    for (const hid::SupportedDeviceRecord& slot : DiscoveryPass()) {
        if (slot.attached != 0 && slot.productCode == hid::kProductHeadset &&
            slot.collectionRole == hid::kRoleCommand) {
            return slot.devicePath;
        }
    }
    return std::nullopt;
}

int Flag(std::optional<double> value) { return value && *value != 0 ? 1 : 0; }

void PrintEndpoint(const char* flow, const std::optional<devices::CChipLibrary::Endpoint>& e) {
    if (e) {
        std::printf("endpoint %s %u 0x%llx\n", flow, e->device.type,
                    static_cast<unsigned long long>(e->features[0]));
    }
}

int Show(HeadsetDriver& headset) {
    devices::CHeadsetAudio& audio = headset.audio();
    devices::CChipLibrary& chip = audio.chip();
    const auto& state = audio.state();
    PrintEndpoint("playback", chip.playback());
    PrintEndpoint("capture", chip.capture());
    std::printf("mic-volume %d\nmic-mute %d\n", state.micVolume, state.micMute ? 1 : 0);
    std::printf("monitor-volume %d\nmonitor-mute %d\n", state.monitorVolume,
                state.monitorMute ? 1 : 0);
    std::printf("eq-preset %d\neq", headset.stages().eqType);
    for (int b = 0; b < devices::CHeadsetAudio::kBands; ++b) {
        const auto value = chip.playback()
                               ? chip.GetNumber(*chip.playback(),
                                                "EQ_Slider" + std::to_string(b + 1), 0)
                               : std::nullopt;
        std::printf(" %ld", value ? std::lround(*value) : 0L);
    }
    std::printf("\n");
    for (const std::string& name : headset.CustomEqNames()) {
        std::printf("custom-eq %s\n", name.c_str());
    }
    std::printf("voice-effect %d\nvoice %d\n", state.voiceEffect ? 1 : 0, state.voiceSelection);
    const auto read = [&](const std::optional<devices::CChipLibrary::Endpoint>& e,
                          const char* name) {
        return e ? chip.GetNumber(*e, name, 0) : std::nullopt;
    };
    std::printf("surround %d\n", Flag(read(chip.playback(), "VirtualSurroundEffectControl")));
    std::printf("noise-reduction %d\n", Flag(read(chip.capture(), "Enable_ENC_LFX")));
    return kOk;
}

int Set(HeadsetDriver& headset, std::string_view name, std::string_view text) {
    struct Setting {
        std::string_view name;
        int low;
        int high;
        bool (HeadsetDriver::*apply)(int);
    };
    // The switches take 0 or 1; the operations take them as numbers here.
    static const Setting kSettings[] = {
        {"mic-volume", 0, 100, &HeadsetDriver::SetMicVolume},
        {"monitor-volume", 0, 100, &HeadsetDriver::SetMonitorVolume},
        {"eq-preset", 0, 12, &HeadsetDriver::SetEqPreset},
        {"voice", 1, 4, &HeadsetDriver::SetVoiceSelection},
    };
    static const std::pair<std::string_view, bool (HeadsetDriver::*)(bool)> kSwitches[] = {
        {"mic-mute", &HeadsetDriver::SetMicMute},
        {"monitor-mute", &HeadsetDriver::SetMonitorMute},
        {"voice-effect", &HeadsetDriver::SetVoiceEffect},
        {"surround", &HeadsetDriver::SetSurround},
        {"noise-reduction", &HeadsetDriver::SetNoiseReduction},
    };
    bool done = false;
    bool known = false;
    for (const Setting& s : kSettings) {
        if (s.name == name) {
            const auto value = Bounded(text, s.low, s.high);
            if (!value) {
                return Usage(std::string(name) + " takes " + std::to_string(s.low) + "-" +
                             std::to_string(s.high));
            }
            known = true;
            done = (headset.*s.apply)(*value);
        }
    }
    for (const auto& [switchName, apply] : kSwitches) {
        if (switchName == name) {
            const auto value = Bounded(text, 0, 1);
            if (!value) {
                return Usage(std::string(name) + " takes 0 or 1");
            }
            known = true;
            done = (headset.*apply)(*value == 1);
        }
    }
    if (!known) {
        return Usage(kUsage);
    }
    if (!done) {
        std::fprintf(stderr, "marloctl: the headset did not take %.*s\n",
                     static_cast<int>(name.size()), name.data());
        return kRefused;
    }
    return kOk;
}

int Equaliser(HeadsetDriver& headset, std::string_view what, const std::string& name) {
    if (what == "save") {
        // What the equaliser has now.
        std::vector<int> bands;
        devices::CChipLibrary& chip = headset.audio().chip();
        for (int b = 0; b < devices::CHeadsetAudio::kBands && chip.playback(); ++b) {
            const auto value =
                chip.GetNumber(*chip.playback(), "EQ_Slider" + std::to_string(b + 1), 0);
            bands.push_back(value ? static_cast<int>(std::lround(*value)) : 0);
        }
        const int result = headset.SaveCustomEq(name, bands);
        std::printf("result %d\n", result);
        if (result != 1) {
            const bool badName = !name.empty() && !marlo::profiles::NameRules::IsAcceptable(name);
            std::fprintf(stderr,
                         result == 0 ? "marloctl: a preset has that name already\n"
                         : badName   ? "marloctl: a preset's name is 1 to 64 bytes of UTF-8 "
                                       "without control characters\n"
                                     : "marloctl: the preset cannot be saved (at most "
                                       "20, and the bands must be readable)\n");
            return kRefused;
        }
        return kOk;
    }
    const bool done = what == "delete" ? headset.DeleteCustomEq(name)
                                       : headset.SelectCustomEq(name);
    if (!done) {
        std::fprintf(stderr, "marloctl: no custom preset %s\n", name.c_str());
        return kRefused;
    }
    return kOk;
}

int Lighting(hid::CommandChannel& channel, Args options) {
    std::optional<std::array<int, 3>> colour;
    int level = 255;
    for (size_t i = 0; i < options.size(); i += 2) {
        if (i + 1 >= options.size()) {
            return Usage(kUsage);
        }
        if (options[i] == "--color") {
            std::array<int, 3> rgb{};
            std::string_view rest = options[i + 1];
            for (int c = 0; c < 3; ++c) {
                const size_t comma = rest.find(',');
                const auto value = Bounded(rest.substr(0, comma), 0, 255);
                if (!value || (c < 2) == (comma == std::string_view::npos)) {
                    return Usage("--color takes R,G,B, each 0-255");
                }
                rgb[static_cast<size_t>(c)] = *value;
                rest = comma == std::string_view::npos ? "" : rest.substr(comma + 1);
            }
            colour = rgb;
        } else if (options[i] == "--level") {
            const auto value = Bounded(options[i + 1], 0, 255);
            if (!value) {
                return Usage("--level takes 0-255");
            }
            level = *value;
        } else {
            return Usage(kUsage);
        }
    }
    if (!colour) {
        return Usage(kUsage);
    }
    const devices::LightEntry light{static_cast<uint8_t>((*colour)[0]),
                                    static_cast<uint8_t>((*colour)[1]),
                                    static_cast<uint8_t>((*colour)[2]),
                                    static_cast<uint8_t>(level),
                                    {}};
    const auto reports = devices::HeadsetLightReports::Build(
        std::vector<devices::LightEntry>(devices::HeadsetLightReports::kLeds, light));
    if (!devices::HeadsetLightReports::Send(channel, reports)) {
        std::fprintf(stderr, "marloctl: the headset did not take the lighting reports\n");
        return kRefused;
    }
    return kOk;
}

}  // namespace

int HeadsetCommand(Args args) {
    if (args.empty()) {
        return Usage(kUsage);
    }
    const std::string_view verb = args[0];
    const bool known = (verb == "show" && args.size() == 1) || (verb == "set" && args.size() == 3) ||
                       (verb == "eq" && args.size() == 3 &&
                        (args[1] == "save" || args[1] == "delete" || args[1] == "select")) ||
                       verb == "lighting";
    if (!known) {
        return Usage(kUsage);
    }
    const auto path = FindHeadset();
    if (!path) {
        std::fprintf(stderr, "marloctl: no headset is connected\n");
        return kRefused;
    }
    HeadsetDriver headset(HeadsetDriver::StandardPlaces());
    hid::CommandChannel& channel = headset.channel();
    if (!channel.OpenInterface(hid::CommandChannel::Path::kCable, *path)) {
        std::fprintf(stderr, "marloctl: cannot open %s\n", path->c_str());
        return kRefused;
    }
    channel.SetConnected(true);
    if (verb == "lighting") {
        return Lighting(channel, args.subspan(1));
    }
    const bool reached = headset.ReachChip(platform::Paths::ResourceDir() / "SDK" / "osConfLib.so",
                                           hid::HidInterface::DefaultRoot());
    headset.LoadProfile();
    headset.ReadLightingBlock();
    if (!reached) {
        std::fprintf(stderr, "marloctl: the headset's chip cannot be reached: %s\n",
                     headset.audio().chip().failure().c_str());
        return kRefused;
    }
    if (verb == "show") {
        return Show(headset);
    }
    if (verb == "set") {
        return Set(headset, args[1], args[2]);
    }
    return Equaliser(headset, args[1], std::string(args[2]));
}

}  // namespace marloctl
