#pragma once

#include <array>
#include <cstdint>

namespace marlo::devices {

// The number of key positions on the keyboard's page.
inline constexpr int kKeyPositions = 170;

// The factory assignment code of each key position, (type << 16) | (value1 << 8) | value2:
// what the keyboard's key table holds for the key at that position until it is remapped.
const std::array<uint32_t, kKeyPositions>& KeyIdentityCodes();

}  // namespace marlo::devices
