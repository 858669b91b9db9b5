// marloctl keyboard: the keyboard's driver as the program drives it, from the command line.
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ArgNumbers.h"
#include "Commands.h"
#include "devices/KeyIdentityTable.h"
#include "devices/KeyboardDriver.h"
#include "panels/KeyFunctionNames.h"

namespace marloctl {
namespace {

using namespace marlo;
using devices::KeyboardDriver;

constexpr const char* kUsage =
    "keyboard show|modes|functions|assign POS CODE|FUNCTION|default POS|apply|lighting [OPTIONS]|"
    "set NAME VALUE";

// The first cable keyboard's command interface, found as the program finds it.
std::optional<std::string> FindKeyboard() {
    for (const hid::SupportedDeviceRecord& slot : DiscoveryPass()) {
        if (slot.attached != 0 && slot.productCode == hid::kProductKeyboard &&
            slot.collectionRole == hid::kRoleCommand) {
            return slot.devicePath;
        }
    }
    return std::nullopt;
}

std::string Hex6(uint32_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "%06x", code & 0xFFFFFF);
    return text;
}

// The keyboard's driver on the first cable keyboard, its tables read and its profile loaded.
class Session {
  public:
    bool Open() {
        const auto path = FindKeyboard();
        if (!path) {
            std::fprintf(stderr, "marloctl: no keyboard is connected\n");
            return false;
        }
        hid::CommandChannel& channel = keyboard_.channel();
        if (!channel.OpenInterface(hid::CommandChannel::Path::kCable, *path)) {
            std::fprintf(stderr, "marloctl: cannot open %s\n", path->c_str());
            return false;
        }
        channel.SetConnected(true);
        channel.SetMode(1);
        if (!keyboard_.ReadKeyTables()) {
            std::fprintf(stderr, "marloctl: the keyboard did not answer\n");
            return false;
        }
        keyboard_.LoadProfile();
        return true;
    }
    KeyboardDriver& keyboard() { return keyboard_; }

  private:
    KeyboardDriver keyboard_{KeyboardDriver::StandardPlaces()};
};

int Show(KeyboardDriver& kb) {
    kb.ReadLightingBlock();
    const auto& light = kb.lightInfo();
    const auto& stages = kb.systemStages();
    const auto modes = kb.Modes();
    std::printf("slots %u\n", kb.slotCount());
    std::printf("macro-memory %zu\n", kb.macroMemoryBytes());
    std::printf("version %02x%02x\n", kb.info()[33], kb.info()[32]);
    const bool known = light.selectItem < modes.size();
    std::printf("mode %u %d %s\n", light.selectItem, known ? modes[light.selectItem].value : 0,
                known ? modes[light.selectItem].name.c_str() : "-");
    std::printf("brightness %u\nspeed %u\ndirection %u\nmulticolor %u\n", light.light, light.speed,
                light.fx, light.multiColor);
    std::printf("color %u %u %u\ncustom-group %u\n", light.red, light.green, light.blue,
                light.customGroup);
    std::printf("polling-rate %u\nrepeat %u\nrepeat-delay %u\nkey6 %u\nwflag %u\nwin-lock %u\n",
                stages.pollingRate, stages.repeat, stages.repeatDelay, stages.key6Flag,
                stages.wFlag, stages.winFlag);
    const devices::KeyboardPositionMap map = kb.positionMap();
    for (int pos = 0; pos < devices::kKeyPositions; ++pos) {
        const uint8_t slot = map.SlotOf(pos);
        if (slot == devices::KeyboardPositionMap::kNoSlot || slot >= kb.slotCount()) {
            continue;
        }
        const auto codes = kb.KeyCodesAt(pos);
        std::printf("key %d %u %s %s\n", pos, slot, Hex6(codes.assignment).c_str(),
                    Hex6(codes.byDefault).c_str());
    }
    return kOk;
}

int Modes(KeyboardDriver& kb) {
    const auto modes = kb.Modes();
    for (size_t i = 0; i < modes.size(); ++i) {
        std::printf("%zu %d %d %s\n", i, modes[i].visible ? 1 : 0, modes[i].value,
                    modes[i].name.c_str());
    }
    return modes.empty() ? kRefused : kOk;
}

// The results of writing the keys (the download's, and whether the keyboard took them).
int WriteKeys(KeyboardDriver& kb, int macros) {
    std::printf("macros %d\n", macros);
    if (!kb.lastWriteFailed()) {
        std::printf("result 1\n");
    }
    if (macros != KeyboardDriver::kMacrosOk) {
        std::fprintf(stderr, "marloctl: the macros do not fit in the keyboard's memory\n");
        return kRefused;
    }
    if (kb.lastWriteFailed()) {
        std::fprintf(stderr, "marloctl: the keyboard did not take the key table\n");
        return kRefused;
    }
    return kOk;
}

int Assign(KeyboardDriver& kb, int position, std::optional<uint32_t> code) {
    if (!kb.KeyHasSlot(position)) {
        std::fprintf(stderr,
                     "marloctl: the keyboard has no slot for key position %d; nothing was "
                     "changed\n",
                     position);
        return kRefused;
    }
    if (!code) {
        code = kb.KeyCodesAt(position).byDefault;
    }
    kb.SetKeyAssignment(position, *code);
    return WriteKeys(kb, kb.SaveKeys());
}

int Lighting(KeyboardDriver& kb, Args options) {
    profiles::LightInfo light = kb.lightInfo();
    const size_t modeCount = kb.Modes().size();
    for (size_t i = 0; i < options.size(); i += 2) {
        if (i + 1 >= options.size()) {
            return Usage(kUsage);
        }
        const std::string_view name = options[i];
        const std::string_view value = options[i + 1];
        std::optional<int> n;
        if (name == "--mode" && (n = Bounded(value, 0, static_cast<int>(modeCount) - 1))) {
            light.selectItem = static_cast<uint8_t>(*n);
        } else if (name == "--brightness" && (n = Bounded(value, 0, 4))) {
            light.light = static_cast<uint8_t>(*n);
        } else if (name == "--speed" && (n = Bounded(value, 0, 4))) {
            light.speed = static_cast<uint8_t>(*n);
        } else if (name == "--direction" && (n = Bounded(value, 0, 255))) {
            light.fx = static_cast<uint8_t>(*n);
        } else if (name == "--multicolor" && (n = Bounded(value, 0, 1))) {
            light.multiColor = static_cast<uint8_t>(*n);
        } else if (name == "--custom-group" && (n = Bounded(value, 0, 255))) {
            light.customGroup = static_cast<uint8_t>(*n);
        } else if (name == "--color") {
            const size_t c1 = value.find(',');
            const size_t c2 = value.find(',', c1 == std::string_view::npos ? c1 : c1 + 1);
            if (c1 == std::string_view::npos || c2 == std::string_view::npos) {
                return Usage(kUsage);
            }
            const auto r = Bounded(value.substr(0, c1), 0, 255);
            const auto g = Bounded(value.substr(c1 + 1, c2 - c1 - 1), 0, 255);
            const auto b = Bounded(value.substr(c2 + 1), 0, 255);
            if (!r || !g || !b) {
                return Usage(kUsage);
            }
            light.red = static_cast<uint8_t>(*r);
            light.green = static_cast<uint8_t>(*g);
            light.blue = static_cast<uint8_t>(*b);
        } else {
            return Usage(kUsage);
        }
    }
    kb.SetLightInfo(light);
    kb.SaveProfile();
    kb.WriteLightingBlock(0);
    if (kb.lastWriteFailed()) {
        std::fprintf(stderr, "marloctl: the keyboard did not take the lighting\n");
        return kRefused;
    }
    std::printf("result 1\n");
    return kOk;
}

int Set(KeyboardDriver& kb, std::string_view name, std::string_view text) {
    profiles::KeyboardSystemStages stages = kb.systemStages();
    struct Setting {
        const char* name;
        uint16_t profiles::KeyboardSystemStages::*field;
        int high;
        bool inBlock;
    };
    static constexpr Setting kSettings[] = {
        {"polling-rate", &profiles::KeyboardSystemStages::pollingRate, 3, true},
        {"repeat", &profiles::KeyboardSystemStages::repeat, 255, false},
        {"repeat-delay", &profiles::KeyboardSystemStages::repeatDelay, 3, false},
        {"key6", &profiles::KeyboardSystemStages::key6Flag, 1, true},
        {"wflag", &profiles::KeyboardSystemStages::wFlag, 1, true},
        {"win-lock", &profiles::KeyboardSystemStages::winFlag, 1, true},
    };
    for (const Setting& s : kSettings) {
        if (name != s.name) {
            continue;
        }
        const auto value = Bounded(text, 0, s.high);
        if (!value) {
            return Usage(kUsage);
        }
        stages.*s.field = static_cast<uint16_t>(*value);
        kb.SetSystemStages(stages);
        kb.SaveProfile();
        if (s.inBlock) {
            kb.WriteLightingBlock(0);
            if (kb.lastWriteFailed()) {
                std::fprintf(stderr, "marloctl: the keyboard did not take the setting\n");
                return kRefused;
            }
        }
        std::printf("result 1\n");
        return kOk;
    }
    return Usage(kUsage);
}

}  // namespace

int KeyboardCommand(Args args) {
    if (args.empty()) {
        return Usage(kUsage);
    }
    const std::string_view op = args[0];
    std::optional<int> position;
    std::optional<uint32_t> code;
    // Arguments are checked before anything is opened.
    if (op == "assign" || op == "default") {
        if (args.size() != (op == "assign" ? 3u : 2u) ||
            !(position = Bounded(args[1], 0, devices::kKeyPositions - 1))) {
            return Usage(kUsage);
        }
        if (op == "assign" && !(args[2].size() == 6 && (code = Number<uint32_t>(args[2], 16)))) {
            // Not a code: a function by name ("key:A", "ctrl+c", "media:mute", "default", …).
            const auto parsed = panels::KeyFunctionNames::Parse(args[2]);
            if (!parsed.code && !parsed.isDefault) {
                std::fprintf(stderr, "marloctl: %s\n", parsed.error.c_str());
                return Usage(kUsage);
            }
            if (parsed.code) {
                code = parsed.code->Packed();
            }
        }
    } else if (op == "set") {
        if (args.size() != 3) {
            return Usage(kUsage);
        }
    } else if ((op == "show" || op == "modes" || op == "apply" || op == "functions") &&
               args.size() != 1) {
        return Usage(kUsage);
    } else if (op != "show" && op != "modes" && op != "apply" && op != "lighting" &&
               op != "functions") {
        return Usage(kUsage);
    }
    if (op == "functions") {
        for (const std::string& form : panels::KeyFunctionNames::Forms()) {
            std::printf("%s\n", form.c_str());
        }
        return kOk;
    }
    Session session;
    if (op == "modes") {
        // The factory list alone: no keyboard needed.
        return Modes(session.keyboard());
    }
    if (!session.Open()) {
        return kRefused;
    }
    KeyboardDriver& kb = session.keyboard();
    if (op == "show") {
        return Show(kb);
    }
    if (op == "assign" || op == "default") {
        return Assign(kb, *position, code);
    }
    if (op == "apply") {
        const int macros = kb.ApplyProfile();
        return WriteKeys(kb, macros);
    }
    if (op == "lighting") {
        return Lighting(kb, Args(args.data() + 1, args.size() - 1));
    }
    return Set(kb, args[1], args[2]);
}

}  // namespace marloctl
