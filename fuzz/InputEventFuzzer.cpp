// An input device's event stream: any run of (type, code, value) records gives only keys and
// buttons with a virtual-key code, and movement that is not zero.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "hook/InputEventTranslator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kRecord = 8;  // type, code, value
    marlo::hook::CInputEventTranslator translator;
    for (size_t at = 0; at + kRecord <= size; at += kRecord) {
        uint16_t type;
        uint16_t code;
        int32_t value;
        std::memcpy(&type, data + at, 2);
        std::memcpy(&code, data + at + 2, 2);
        std::memcpy(&value, data + at + 4, 4);
        const auto input = translator.Feed(type, code, value);
        if (!input) {
            continue;
        }
        using Kind = marlo::hook::OutsideInput::Kind;
        if (input->kind == Kind::kMove ? (input->dx == 0 && input->dy == 0)
                                       : (input->virtualKey == 0 || input->virtualKey > 0xFF)) {
            std::abort();
        }
    }
    return 0;
}
