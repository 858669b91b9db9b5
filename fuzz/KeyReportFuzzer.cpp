// The keyboard's key reports: any two reports, as the previous and the new one, give key
// positions of the page only, each at most once per key of the report.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "devices/KeyIdentityTable.h"
#include "devices/KeyboardKeyReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t half = size / 2;
    const std::span<const uint8_t> previous(data, half);
    const std::span<const uint8_t> report(data + half, size - half);
    const auto pressed = marlo::devices::KeyboardKeyReader::NewlyPressed(previous, report);
    if (pressed.size() > 8 + 6) {
        std::abort();  // eight modifiers and six keys at most
    }
    for (const int position : pressed) {
        if (position < 0 || position >= marlo::devices::kKeyPositions) {
            std::abort();
        }
    }
    return 0;
}
