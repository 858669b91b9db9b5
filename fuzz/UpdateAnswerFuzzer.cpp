// Any bytes as the update service's answer, for a device item and for the program item: the
// row always shows the item's own name and version, and the status is one the window knows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "online/UpdateCheck.h"
#include "online/UpdateItem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlo::online;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const UpdateItem items[] = {
        {1, 1, 0x0102, "KORVA", "QK27T02B", "KB", "KB", ""},
        {0, 1, 103, "KORVA", "ALL", "KB", "AP", "V0102"},
    };
    for (const UpdateItem& item : items) {
        const UpdateResult r = ReadUpdateAnswer(item, answer);
        if (r.name != item.ShownName() || r.localVersionText != item.LocalVersionText() ||
            (r.status != UpdateResult::kUpToDate && r.status != UpdateResult::kUpdateAvailable)) {
            std::abort();
        }
    }
    return 0;
}
