#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace marloctl {

// A whole argument as a number (nothing for an empty one, or one with anything else in it).
template <typename T>
std::optional<T> Number(std::string_view text, int base = 10) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// A whole argument as a number from `low` to `high`.
inline std::optional<int> Bounded(std::string_view text, int low, int high) {
    const auto value = Number<int>(text);
    return value && *value >= low && *value <= high ? value : std::nullopt;
}

}  // namespace marloctl
