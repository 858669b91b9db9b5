#include "PrivateFont.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "ui/DisplayBackend.h"
#include "ui/PaintManagerUI.h"

namespace marlo::app {

namespace {
constexpr size_t kMaxFontBytes = 64 * 1024 * 1024;
}  // namespace

PrivateFont::PrivateFont() : directory_(platform::Paths::ResourceDir().string() + "/") {}

PrivateFont::~PrivateFont() {
    if (!family_.empty()) {
        if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
            backend->RemoveFont(family_);
        }
    }
}

bool PrivateFont::Load(const std::string& relative) {
    const auto bytes = platform::ReadWholeFile(directory_ + relative, kMaxFontBytes);
    ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend();
    if (!bytes || backend == nullptr) {
        return false;
    }
    family_ = backend->AddFontFromMemory(std::vector<uint8_t>(bytes->begin(), bytes->end()));
    return !family_.empty();
}

}  // namespace marlo::app
