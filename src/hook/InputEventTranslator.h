#pragma once

#include <cstdint>
#include <optional>

namespace marlo::hook {

// One input of the desktop's keyboards and mice, as the outside hook hands it on.
struct OutsideInput {
    enum class Kind { kKey, kButton, kMove };
    Kind kind = Kind::kKey;
    uint32_t virtualKey = 0;  // the key's or the button's virtual-key code (kKey, kButton)
    bool down = false;        // kKey (a repeat counts as down), kButton
    int32_t dx = 0;           // kMove: the distance since the last movement
    int32_t dy = 0;

    bool operator==(const OutsideInput&) const = default;
};

// Turns the event stream of one input device (type, code, value, as read from its event node)
// into the inputs it describes. Keys and buttons come at once; movement is gathered up to the
// end of its report. Events after a dropped stretch are ignored up to the next report's end, so
// movement is never made of half a report.
class CInputEventTranslator {
  public:
    std::optional<OutsideInput> Feed(uint16_t type, uint16_t code, int32_t value);
    // A sum of movements as one input's distance: clamped to 32 bits.
    static int32_t Clamped(int64_t value);

  private:
    int64_t dx_ = 0;
    int64_t dy_ = 0;
    bool dropped_ = false;
};

}  // namespace marlo::hook
