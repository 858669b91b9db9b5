#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace marlo::platform {

// A name-sized hash of a text that every program of the project computes alike, whatever it
// was built with (std::hash promises no such thing): 16 hexadecimal digits of FNV-1a.
std::string StableHashHex(std::string_view text);

}  // namespace marlo::platform
