// Image attributes as skins write them: any text gives an image or nothing, and an image has
// a file and rectangles that are not turned inside out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/SkinImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto image = marlo::ui::SkinImage::Parse(text)) {
        if (image->file.empty()) {
            std::abort();
        }
        for (const auto& rect : {image->source, image->dest}) {
            if (rect && (rect->width < 0 || rect->height < 0)) {
                std::abort();
            }
        }
    }
    return 0;
}
