// Any bytes as a macro index, a macro file or a profile list, in memory: the shapes are told,
// the rows and events read, every event turns into a device record, and every row's file name
// stays inside the folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/JsonDocument.h"
#include "profiles/DocumentFiles.h"
#include "profiles/MacroList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlo::profiles;
    const Json::Value document = marlo::platform::JsonDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(data), size));
    if (MacroList::IsIndexShape(document)) {
        const auto rows = MacroList::RowsOf(document);
        if (rows.size() > MacroList::kMaxMacros) {
            std::abort();
        }
        for (const auto& row : rows) {
            if (DocumentFiles::IsSafeStem(row.guid) && (row.guid.find('/') != std::string::npos ||
                                                        row.guid.find("..") != std::string::npos)) {
                std::abort();  // a row's file must name a file of the folder only
            }
        }
    }
    if (MacroList::IsMacroShape(document)) {
        for (const MacroEvent& event : MacroList::EventsOf(document)) {
            EventToDeviceRecord(event);
        }
    }
    return 0;
}
