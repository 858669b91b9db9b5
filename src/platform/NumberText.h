#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace marlo::platform {

// Numbers and bytes as people type them on command lines and in the simulator's commands.
class NumberText {
  public:
    // A whole text as a decimal or "0x" hexadecimal number; nothing for anything else.
    template <typename T>
    static std::optional<T> Parse(std::string_view text) {
        const bool hex = text.starts_with("0x") || text.starts_with("0X");
        if (hex) {
            text.remove_prefix(2);
        }
        T value{};
        const auto [end, ec] =
            std::from_chars(text.data(), text.data() + text.size(), value, hex ? 16 : 10);
        if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
            return std::nullopt;
        }
        return value;
    }

    // Contiguous lower-case hexadecimal digits, two per byte.
    static std::string ToHex(std::span<const uint8_t> bytes);
    // The reverse; nothing for an odd length or a character that is not a hex digit.
    static std::optional<std::vector<uint8_t>> FromHex(std::string_view text);
};

}  // namespace marlo::platform
