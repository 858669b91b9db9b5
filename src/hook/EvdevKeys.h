#pragma once

#include <cstdint>

namespace marlo::hook {

// The Windows virtual-key code of a Linux input key code (the KEY_ values of
// <linux/input-event-codes.h>), as the keycap of a US layout names it; 0 for a key that has none.
uint32_t VirtualKeyOfEvdevKey(uint16_t code);

// The virtual-key code of a mouse button (BTN_LEFT … BTN_EXTRA, BTN_FORWARD, BTN_BACK):
// 0x01 left, 0x02 right, 0x04 middle, 0x05 back, 0x06 forward; 0 for any other code.
uint32_t VirtualKeyOfEvdevButton(uint16_t code);

}  // namespace marlo::hook
