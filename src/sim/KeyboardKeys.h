#pragma once

#include <array>
#include <cstdint>

namespace marlo::sim {

// The emulated keyboard's own key at each position of the program's drawing: what its key
// table holds for the key until it is remapped, (type << 16) | (value1 << 8) | value2. The
// keyboard's data, kept here apart from the program's own table so that the tests check the
// program against the keyboard, not against itself.
inline constexpr int kKeyPositions = 170;
const std::array<uint32_t, kKeyPositions>& FactoryKeyCodes();

}  // namespace marlo::sim
