#include "ui/HeadlessBackend.h"

#include <algorithm>

#include "ui/MenuWnd.h"
#include "ui/PaintManagerUI.h"
#include "ui/TrayIcon.h"

namespace marlo::ui {

HeadlessBackend::HeadlessBackend() : previous_(CPaintManagerUI::GetBackend()) {
    CPaintManagerUI::SetBackend(this);
}

HeadlessBackend::~HeadlessBackend() {
    CPaintManagerUI::SetBackend(previous_);
}

void HeadlessBackend::WindowCreated(CWindowWnd* window) {
    windows_.push_back(window);
}

void HeadlessBackend::WindowDestroyed(CWindowWnd* window) {
    std::erase(windows_, window);
    if (front_ == window) {
        front_ = nullptr;
    }
}

void HeadlessBackend::MenuClosed(CMenuWnd* menu) {
    if (menu_ == menu) {
        menu_ = nullptr;
    }
}

std::string HeadlessBackend::AddFontFromMemory(const std::vector<uint8_t>& data) {
    // TrueType, OpenType and collection files start with one of these tags.
    static const std::vector<std::vector<uint8_t>> kMagic = {
        {0x00, 0x01, 0x00, 0x00}, {'O', 'T', 'T', 'O'}, {'t', 'r', 'u', 'e'}, {'t', 't', 'c', 'f'}};
    const bool isFont = std::any_of(kMagic.begin(), kMagic.end(), [&](const auto& m) {
        return data.size() >= m.size() && std::equal(m.begin(), m.end(), data.begin());
    });
    if (!isFont) {
        return {};
    }
    const std::string family = "font-" + std::to_string(fonts_.size() + 1);
    fonts_.insert(family);
    return family;
}

int HeadlessBackend::Redraws(CControlUI* control) const {
    const auto it = redraws_.find(control);
    return it == redraws_.end() ? 0 : it->second;
}

void HeadlessBackend::ClickTray(intptr_t mouseMessage) {
    for (CTrayIcon* icon : std::set<CTrayIcon*>(trays_)) {
        icon->OnClick(mouseMessage);
    }
}

bool HeadlessBackend::ChooseMenuItem(const std::string& name) {
    return menu_ != nullptr && menu_->Choose(name);
}

std::optional<std::string> HeadlessBackend::ChooseFile(CWindowWnd*, const FileQuestion& question) {
    fileQuestions_.push_back(question);
    return fileAnswer_;
}

}  // namespace marlo::ui
