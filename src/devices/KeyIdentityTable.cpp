#include "devices/KeyIdentityTable.h"

#include <cstddef>
#include <initializer_list>

namespace marlo::devices {
namespace {

constexpr uint32_t Key(uint32_t modifiers, uint32_t usage) {
    return 0x200000 | modifiers << 8 | usage;
}
constexpr uint32_t Code(uint32_t type, uint32_t v1, uint32_t v2) {
    return type << 16 | v1 << 8 | v2;
}

std::array<uint32_t, kKeyPositions> Build() {
    std::array<uint32_t, kKeyPositions> t{};
    t.fill(Key(0, 0));  // positions without a key
    auto run = [&](int first, std::initializer_list<uint32_t> codes) {
        for (uint32_t c : codes) {
            t[static_cast<std::size_t>(first++)] = c;
        }
    };
    // Esc, F1-F12, Print Screen, Scroll Lock, Pause.
    t[0] = Key(0, 0x29);
    for (int i = 0; i < 15; ++i) {
        t[static_cast<std::size_t>(1 + i)] = Key(0, static_cast<uint32_t>(0x3A + i));
    }
    run(16, {Code(0xA0, 0x1B, 0), Code(0xA0, 0x24, 0)});
    // `, 1-0, -, =, Backspace.
    t[21] = Key(0, 0x35);
    for (int i = 0; i < 10; ++i) {
        t[static_cast<std::size_t>(22 + i)] = Key(0, static_cast<uint32_t>(0x1E + i));
    }
    run(32, {Key(0, 0x2D), Key(0, 0x2E), Key(0, 0x2A)});
    run(35, {Key(0, 0x49), Key(0, 0x4A), Key(0, 0x4B), Key(0, 0x53), Key(0, 0x54), Key(0, 0x55),
             Key(0, 0x56)});
    run(42, {Key(0, 0x2B), Key(0, 0x14), Key(0, 0x1A), Key(0, 0x08), Key(0, 0x15), Key(0, 0x17),
             Key(0, 0x1C), Key(0, 0x18), Key(0, 0x0C), Key(0, 0x12), Key(0, 0x13), Key(0, 0x2F),
             Key(0, 0x30), Key(0, 0x31), Key(0, 0x4C), Key(0, 0x4D), Key(0, 0x4E)});
    run(59, {Key(0, 0x5F), Key(0, 0x60), Key(0, 0x61), Key(0, 0x32), Key(0, 0x39), Key(0, 0x04),
             Key(0, 0x16), Key(0, 0x07), Key(0, 0x09), Key(0, 0x0A), Key(0, 0x0B), Key(0, 0x0D),
             Key(0, 0x0E), Key(0, 0x0F), Key(0, 0x33), Key(0, 0x34), Key(0, 0x28)});
    run(76, {Key(0, 0x5C), Key(0, 0x5D), Key(0, 0x5E), Key(0, 0x8A), Key(0, 0x8B), Key(0, 0x90),
             Key(0, 0x91), Key(0, 0x88), Key(0x02, 0), Key(0, 0x1D), Key(0, 0x1B), Key(0, 0x06),
             Key(0, 0x19), Key(0, 0x05), Key(0, 0x11), Key(0, 0x10), Key(0, 0x36), Key(0, 0x37),
             Key(0, 0x38)});
    run(95, {Key(0x20, 0), Key(0, 0x52), Key(0, 0x59), Key(0, 0x5A), Key(0, 0x5B), Key(0, 0x87),
             Key(0, 0x89), Key(0, 0x64), Key(0, 0x85)});
    run(105, {Key(0x01, 0), Key(0x08, 0), Key(0x04, 0), Key(0, 0x2C), Key(0x40, 0),
              Code(0xA0, 0x01, 0), Key(0, 0x65), Key(0x10, 0), Key(0, 0x50), Key(0, 0x51),
              Key(0, 0x4F), Key(0, 0x62), Key(0, 0x63), Key(0, 0x58), Key(0, 0x57)});
    run(120, {Code(0xD0, 0xA2, 1), Code(0xD0, 0xA2, 2), Code(0xD0, 0xA2, 3), Code(0xD0, 0xA2, 4),
              Code(0xD0, 0xA2, 5), Key(0x80, 0)});
    return t;
}

}  // namespace

const std::array<uint32_t, kKeyPositions>& KeyIdentityCodes() {
    static const std::array<uint32_t, kKeyPositions> table = Build();
    return table;
}

}  // namespace marlo::devices
