#pragma once

#include <cstdint>
#include <string_view>

namespace marlo::platform {

// Registered message names. A name gets a number from 0xC000 up, the same number for the same
// name for the life of the process; numbers differ between processes, so other programs name
// messages, never number them.
class MessageRegistry {
  public:
    static constexpr uint32_t kFirst = 0xC000;
    static constexpr uint32_t kLast = 0xFFFF;

    // 0 when the name is empty or the range is used up.
    static uint32_t Register(std::string_view name);
    // The number of a name registered before; 0 when it is not registered.
    static uint32_t Find(std::string_view name);
    // The name of a registered number; empty when none.
    static std::string_view NameOf(uint32_t message);
};

}  // namespace marlo::platform
