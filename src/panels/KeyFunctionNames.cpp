#include "panels/KeyFunctionNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>

#include "panels/KeyAssignmentCodec.h"

namespace marlo::panels {
namespace {

using Tables = KeyFunctionTables;

constexpr std::array<const char*, 5> kMouse = {"left", "middle", "right", "forward", "back"};
constexpr std::array<const char*, 18> kMedia = {
    "select",   "play-pause", "stop",       "previous", "next",     "volume-down",
    "volume-up", "mute",      "home",       "refresh",  "stop-page", "back",
    "forward",  "favourites", "search",     "computer", "calculator", "mail"};
constexpr std::array<const char*, 3> kSystem = {"power", "sleep", "wake"};
constexpr std::array<std::pair<const char*, uint8_t>, 4> kModifiers = {
    {{"ctrl", 0x01}, {"shift", 0x02}, {"alt", 0x04}, {"win", 0x08}}};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// A keyboard row's name as scripts write it: "keyboard_key_Page Up" → "page-up".
std::string KeyName(const KeyFunctionRow& row) {
    std::string_view name = row.name;
    if (name == "wed_stop") {
        return "browser-stop";
    }
    constexpr std::string_view kPrefix = "keyboard_key_";
    if (name.starts_with(kPrefix)) {
        name.remove_prefix(kPrefix.size());
    }
    std::string out = Lower(name);
    std::replace(out.begin(), out.end(), ' ', '-');
    if (out == "xiegang") {
        return "backslash";
    }
    if (out == "<") {
        return "comma";
    }
    if (out == "caplk") {
        return "caps-lock";
    }
    return out;
}

std::vector<std::string> Split(const std::string& text, char by) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(by, start)) != std::string::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::optional<int> Number(const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

template <size_t N>
std::optional<size_t> IndexOf(const std::array<const char*, N>& names, const std::string& name) {
    for (size_t i = 0; i < N; ++i) {
        if (name == names[i]) {
            return i;
        }
    }
    return std::nullopt;
}

size_t Distance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = up;
        }
    }
    return row[b.size()];
}

KeyFunctionNames::Parsed Unknown(const std::string& text) {
    // The nearest of every fixed name (numbers stand as their forms' first example).
    std::string nearest;
    size_t best = SIZE_MAX;
    for (const std::string& form : KeyFunctionNames::Forms()) {
        const std::string candidate = form.substr(0, form.find(' '));
        if (const size_t d = Distance(text, candidate); d < best) {
            best = d;
            nearest = candidate;
        }
    }
    return {std::nullopt, false, "unknown function " + text + " (nearest: " + nearest + ")"};
}

KeyFunctionNames::Parsed OutOfRange(const std::string& text) {
    return {std::nullopt, false, "a value of " + text + " is out of its range"};
}

std::optional<KeyCode> KeyByName(const std::string& name) {
    for (const KeyFunctionRow& row : Tables::Keyboard()) {
        if (KeyName(row) == name) {
            return row.code;
        }
    }
    return std::nullopt;
}

}  // namespace

KeyFunctionNames::Parsed KeyFunctionNames::Parse(std::string_view input) {
    const std::string text = Lower(input);
    if (text == "default") {
        return {std::nullopt, true, {}};
    }
    if (text == "fn") {
        return {Tables::Keyboard()[140].code, false, {}};
    }
    // Modifiers before a key: "ctrl+shift+key:A", "ctrl+c".
    const std::vector<std::string> plus = Split(text, '+');
    if (plus.size() > 1 || text.starts_with("key:")) {
        uint8_t bits = 0;
        for (size_t i = 0; i + 1 < plus.size(); ++i) {
            const auto it = std::find_if(kModifiers.begin(), kModifiers.end(),
                                         [&](const auto& m) { return plus[i] == m.first; });
            if (it == kModifiers.end()) {
                return Unknown(text);
            }
            bits = static_cast<uint8_t>(bits | it->second);
        }
        std::string key = plus.back();
        if (key.starts_with("key:")) {
            key.erase(0, 4);
        }
        const auto code = KeyByName(key);
        if (!code) {
            return Unknown(text);
        }
        if (bits == 0) {
            return {code, false, {}};
        }
        if (code->type != 0x20 || code->value1 != 0) {
            return {std::nullopt, false, "only a key can be pressed with " + plus.front()};
        }
        return {KeyCode{0x20, bits, code->value2}, false, {}};
    }
    const std::vector<std::string> p = Split(text, ':');
    const std::string& kind = p[0];
    if (p.size() == 2 && (kind == "mouse" || kind == "media" || kind == "system")) {
        const auto at = kind == "mouse"   ? IndexOf(kMouse, p[1])
                        : kind == "media" ? IndexOf(kMedia, p[1])
                                          : IndexOf(kSystem, p[1]);
        if (!at) {
            return Unknown(text);
        }
        const auto table = kind == "mouse"   ? Tables::MouseButtons()
                           : kind == "media" ? Tables::Media()
                                             : Tables::System();
        return {table[*at].code, false, {}};
    }
    if (kind == "dpi" && p.size() == 2) {
        const auto n = Number(p[1], 1, 3);
        return n ? Parsed{Tables::Dpi()[static_cast<size_t>(*n - 1)].code, false, {}}
                 : OutOfRange(text);
    }
    if (kind == "macro" && (p.size() == 2 || p.size() == 3 || (p.size() == 4 && p[2] == "repeat"))) {
        const auto macro = Number(p[1], 0, 255);
        const auto second = p.size() == 2 ? std::optional<int>(0)
                            : p.size() == 3 ? Number(p[2], 0, 3)
                                            : Number(p[3], 0, 255);
        if (!macro || !second) {
            return OutOfRange(text);
        }
        return {KeyCode{p.size() == 4 ? KeyAssignmentCodec::kTypeMacroRepeat
                                      : KeyAssignmentCodec::kTypeMacro,
                        static_cast<uint8_t>(*macro), static_cast<uint8_t>(*second)},
                false,
                {}};
    }
    if (kind == "fire" && p.size() == 3) {
        const auto interval = Number(p[1], 0, 255);
        const auto count = Number(p[2], 0, 255);
        if (!interval || !count) {
            return OutOfRange(text);
        }
        return {KeyCode{0x14, static_cast<uint8_t>(*interval), static_cast<uint8_t>(*count)},
                false,
                {}};
    }
    if ((kind == "move" || kind == "wheel") && p.size() == 5 && (p[1] == "up" || p[1] == "down")) {
        KeySetState state;
        const bool move = kind == "move";
        const bool down = p[1] == "down";
        // A wheel turned down counts 1-128, up 0-127, as its byte holds them.
        const auto count = Number(p[2], move || !down ? 0 : 1, move || !down ? 127 : 128);
        const auto delay = Number(p[3], 0, 15);
        const auto speed = Number(p[4], 0, 15);
        if (!count || !delay || !speed) {
            return OutOfRange(text);
        }
        const int direction = down ? 1 : 0;
        state.category = move ? 2 : 3;
        (move ? state.moveDirection : state.wheelDirection) = direction;
        (move ? state.moveCount : state.wheelCount) = *count;
        (move ? state.moveDelay : state.wheelDelay) = *delay;
        (move ? state.moveSpeed : state.wheelSpeed) = *speed;
        return {KeyAssignmentCodec({}, 0).Read(state), false, {}};
    }
    return Unknown(text);
}

std::vector<std::string> KeyFunctionNames::Forms() {
    std::vector<std::string> forms;
    for (const KeyFunctionRow& row : Tables::Keyboard()) {
        forms.push_back("key:" + KeyName(row));
    }
    forms.push_back("ctrl+KEY shift+KEY alt+KEY win+KEY (together: ctrl+shift+key:A)");
    for (const char* m : kMouse) {
        forms.push_back(std::string("mouse:") + m);
    }
    for (const char* m : kMedia) {
        forms.push_back(std::string("media:") + m);
    }
    for (const char* s : kSystem) {
        forms.push_back(std::string("system:") + s);
    }
    for (const char* d : {"1", "2", "3"}) {
        forms.push_back(std::string("dpi:") + d);
    }
    forms.push_back("macro:N[:MODE] (N 0-255, MODE 0-3)");
    forms.push_back("macro:N:repeat:COUNT (COUNT 0-255)");
    forms.push_back("fire:INTERVAL:COUNT (0-255 each)");
    forms.push_back("move:up|down:COUNT:DELAY:SPEED (COUNT 0-127, DELAY and SPEED 0-15)");
    forms.push_back("wheel:up|down:COUNT:DELAY:SPEED (COUNT 0-127 up, 1-128 down, DELAY and "
                    "SPEED 0-15)");
    forms.push_back("fn");
    forms.push_back("default");
    return forms;
}

}  // namespace marlo::panels
