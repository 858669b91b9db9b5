// Any bytes given as a report descriptor give a descriptor or a refusal, and any report
// decoded against any collection of it stays inside its buffers.
#include <cstddef>
#include <cstdint>
#include <span>

#include "hid/ReportDecoder.h"
#include "hid/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes say where the descriptor ends and the report begins.
    const size_t split = std::min<size_t>(size - 2, (size_t(data[0]) << 8 | data[1]));
    const std::span<const uint8_t> rest(data + 2, size - 2);
    const auto descriptor = marlo::hid::ReportDescriptor::Parse(rest.first(split));
    if (!descriptor) {
        return 0;
    }
    const std::span<const uint8_t> report = rest.subspan(split);
    for (const auto& collection : descriptor->collections()) {
        marlo::hid::ReportDecoder decoder(collection);
        for (auto type : {marlo::hid::ReportType::kInput, marlo::hid::ReportType::kOutput,
                          marlo::hid::ReportType::kFeature}) {
            decoder.Decode(type, report);
        }
    }
    return 0;
}
