#include "ui/PaintManagerUI.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/MessageLoop.h"
#include "ui/ControlUI.h"
#include "ui/DisplayBackend.h"
#include "ui/EditUI.h"
#include "ui/OptionUI.h"

namespace marlo::ui {
namespace {

struct Globals {
    std::string instancePath;
    std::string resourcePath;
    IDisplayBackend* backend = nullptr;
    std::vector<CPaintManagerUI*> managers;
    std::map<int, FontInfo> sharedFonts;
    std::optional<FontInfo> sharedDefaultFont;
};

Globals& G() {
    static Globals globals;
    return globals;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
    G().managers.push_back(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    *alive_ = false;
    for (const auto& [key, loopTimer] : timers_) {
        if (G().backend != nullptr) {
            G().backend->loop().KillTimer(loopTimer);
        }
    }
    timers_.clear();
    focus_ = nullptr;
    notifiers_.clear();
    root_.reset();
    std::erase(G().managers, this);
}

void CPaintManagerUI::SetInstancePath(const std::string& path) {
    G().instancePath = path.empty() || path.back() == '/' ? path : path + "/";
}
const std::string& CPaintManagerUI::GetInstancePath() {
    return G().instancePath;
}
void CPaintManagerUI::SetResourcePath(const std::string& path) {
    G().resourcePath = path.empty() || path.back() == '/' ? path : path + "/";
}
const std::string& CPaintManagerUI::GetResourcePath() {
    return G().resourcePath;
}
void CPaintManagerUI::SetBackend(IDisplayBackend* backend) {
    G().backend = backend;
}
IDisplayBackend* CPaintManagerUI::GetBackend() {
    return G().backend;
}
void CPaintManagerUI::SetAllDPI(int dpi) {
    for (CPaintManagerUI* manager : AllManagers()) {
        manager->SetDPI(dpi);
    }
}

std::vector<CPaintManagerUI*> CPaintManagerUI::AllManagers() {
    return G().managers;
}

bool CPaintManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
    if (!root) {
        return false;
    }
    if (root_) {
        root_->FindControl([this](CControlUI* c) {
            ForgetControl(c);
            return false;
        });
    }
    root_ = std::move(root);
    root_->SetManager(this, nullptr);
    if (G().backend != nullptr) {
        G().backend->TreeAttached(this);
    }
    return true;
}

CControlUI* CPaintManagerUI::FindControl(std::string_view name) const {
    const auto it = names_.find(name);
    return it == names_.end() ? nullptr : it->second;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, std::string_view name) const {
    if (parent == nullptr) {
        return nullptr;
    }
    return parent->FindControl([&](CControlUI* c) { return c != parent && c->GetName() == name; });
}

std::vector<CControlUI*> CPaintManagerUI::FindControlsByClass(std::string_view className) const {
    std::vector<CControlUI*> found;
    if (root_) {
        root_->FindControl([&](CControlUI* c) {
            if (c->GetClass() == className) {
                found.push_back(c);
            }
            return false;
        });
    }
    return found;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
        notifiers_.push_back(notifier);
    }
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    std::erase(notifiers_, notifier);
}

void CPaintManagerUI::SendNotify(CControlUI* control, const char* type, uintptr_t wParam,
                                 intptr_t lParam) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = control;
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (control != nullptr) {
        msg.sVirtualWnd = control->GetVirtualWnd();
    }
    // A handler may add or remove notifiers: walk a copy.
    const std::vector<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* n : notifiers) {
        if (std::find(notifiers_.begin(), notifiers_.end(), n) != notifiers_.end()) {
            n->Notify(msg);
        }
    }
}

void CPaintManagerUI::PostNotify(CControlUI* control, const char* type, uintptr_t wParam,
                                 intptr_t lParam) {
    if (G().backend == nullptr) {
        SendNotify(control, type, wParam, lParam);
        return;
    }
    std::weak_ptr<bool> alive = alive_;
    G().backend->loop().Post([this, alive, control, type = std::string(type), wParam, lParam] {
        if (alive.expired() || !*alive.lock()) {
            return;
        }
        // The control may have left the tree meanwhile.
        if (control != nullptr &&
            (!root_ || !root_->FindControl([control](CControlUI* c) { return c == control; }))) {
            return;
        }
        SendNotify(control, type.c_str(), wParam, lParam);
    });
}

bool CPaintManagerUI::SetTimer(CControlUI* control, uint32_t id, uint32_t elapseMs) {
    if (control == nullptr || G().backend == nullptr) {
        return false;
    }
    KillTimer(control, id);
    timers_[{control, id}] = G().backend->loop().SetTimer(elapseMs, [this, control, id] {
        control->DoTimer(id);
        SendNotify(control, notify::kTimer, id, 0);
    });
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, uint32_t id) {
    const auto it = timers_.find({control, id});
    if (it == timers_.end()) {
        return false;
    }
    if (G().backend != nullptr) {
        G().backend->loop().KillTimer(it->second);
    }
    timers_.erase(it);
    return true;
}

void CPaintManagerUI::KillTimers(CControlUI* control) {
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->first.first == control) {
            if (G().backend != nullptr) {
                G().backend->loop().KillTimer(it->second);
            }
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control == focus_) {
        return;
    }
    if (control != nullptr && (!control->IsVisible() || !control->IsEnabled())) {
        return;
    }
    CControlUI* old = std::exchange(focus_, control);
    if (old != nullptr) {
        if (auto* edit = dynamic_cast<CEditUI*>(old)) {
            edit->ClampToBounds();
        }
        SendNotify(old, notify::kKillFocus);
        old->Invalidate();
    }
    if (focus_ != nullptr) {
        SendNotify(focus_, notify::kSetFocus);
        focus_->Invalidate();
    }
}

CControlUI* CPaintManagerUI::MoveFocus(bool forward) {
    std::vector<CControlUI*> stops;
    if (root_ != nullptr) {
        root_->FindControl([&stops](CControlUI* c) {
            if (c->IsFocusable() && c->IsVisible() && c->IsEnabled()) {
                stops.push_back(c);
            }
            return false;
        });
    }
    if (stops.empty()) {
        return focus_;
    }
    const auto at = std::find(stops.begin(), stops.end(), focus_);
    size_t next = 0;
    if (at == stops.end()) {
        next = forward ? 0 : stops.size() - 1;
    } else {
        const size_t i = static_cast<size_t>(at - stops.begin());
        next = forward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size();
    }
    SetFocus(stops[next]);
    return focus_;
}

void CPaintManagerUI::SetDPI(int dpi) {
    const int bounded = std::clamp(dpi, 48, 480);
    if (bounded == dpi_) {
        return;
    }
    dpi_ = bounded;
    if (G().backend != nullptr && root_) {
        G().backend->DpiChanged(this);
    }
}

void CPaintManagerUI::AddFont(int id, FontInfo font, bool isDefault) {
    if (isDefault) {
        defaultFont_ = font;
    }
    fonts_[id] = std::move(font);
}

const FontInfo* CPaintManagerUI::GetFont(int id) const {
    if (const auto shared = G().sharedFonts.find(id); shared != G().sharedFonts.end()) {
        return &shared->second;
    }
    const auto it = fonts_.find(id);
    return it == fonts_.end() ? nullptr : &it->second;
}

const FontInfo& CPaintManagerUI::GetDefaultFont() const {
    return G().sharedDefaultFont ? *G().sharedDefaultFont : defaultFont_;
}

void CPaintManagerUI::SetSharedFonts(std::map<int, FontInfo> fonts, FontInfo defaultFont) {
    G().sharedFonts = std::move(fonts);
    G().sharedDefaultFont = std::move(defaultFont);
    for (CPaintManagerUI* manager : AllManagers()) {
        if (G().backend != nullptr && manager->root_) {
            G().backend->DpiChanged(manager);  // lays the texts out again in the new fonts
        }
    }
}

const FontInfo* CPaintManagerUI::GetSharedFont(int id) {
    const auto it = G().sharedFonts.find(id);
    return it == G().sharedFonts.end() ? nullptr : &it->second;
}

std::string CPaintManagerUI::GetSharedDefaultFace() {
    return G().sharedDefaultFont ? G().sharedDefaultFont->face : std::string();
}

void CPaintManagerUI::AddDefaultAttributeList(const std::string& className,
                                              const std::string& attributes) {
    defaultAttributes_[className] = attributes;
}

std::string CPaintManagerUI::GetDefaultAttributeList(std::string_view className) const {
    const auto it = defaultAttributes_.find(className);
    return it == defaultAttributes_.end() ? std::string() : it->second;
}

void CPaintManagerUI::SetWindowAttribute(const std::string& name, const std::string& value) {
    windowAttributes_[name] = value;
}

std::string CPaintManagerUI::GetWindowAttribute(std::string_view name) const {
    const auto it = windowAttributes_.find(name);
    return it == windowAttributes_.end() ? std::string() : it->second;
}

void CPaintManagerUI::AddOptionGroup(const std::string& group, COptionUI* option) {
    auto& members = optionGroups_[group];
    if (std::find(members.begin(), members.end(), option) == members.end()) {
        members.push_back(option);
    }
}

void CPaintManagerUI::RemoveOptionGroup(const std::string& group, COptionUI* option) {
    if (const auto it = optionGroups_.find(group); it != optionGroups_.end()) {
        std::erase(it->second, option);
    }
}

std::vector<COptionUI*> CPaintManagerUI::GetOptionGroup(std::string_view group) const {
    const auto it = optionGroups_.find(group);
    return it == optionGroups_.end() ? std::vector<COptionUI*>() : it->second;
}

void CPaintManagerUI::RegisterControl(CControlUI* control) {
    if (!control->GetName().empty()) {
        names_.emplace(control->GetName(), control);  // the first of a name stays found
    }
}

void CPaintManagerUI::RenameControl(CControlUI* control, const std::string& oldName) {
    if (const auto it = names_.find(oldName); it != names_.end() && it->second == control) {
        names_.erase(it);
    }
    RegisterControl(control);
}

void CPaintManagerUI::ForgetControl(CControlUI* control) {
    if (const auto it = names_.find(control->GetName());
        it != names_.end() && it->second == control) {
        names_.erase(it);
    }
    if (focus_ == control) {
        focus_ = nullptr;
    }
    KillTimers(control);
    for (auto& [group, members] : optionGroups_) {
        members.erase(std::remove_if(members.begin(), members.end(),
                                     [control](COptionUI* o) {
                                         return static_cast<CControlUI*>(o) == control;
                                     }),
                      members.end());
    }
    if (G().backend != nullptr) {
        G().backend->ControlRemoved(this, control);
    }
}

void CPaintManagerUI::ControlRecoloured(CControlUI* control) {
    if (G().backend != nullptr && root_) {
        G().backend->ControlRecoloured(this, control);
    }
}

void CPaintManagerUI::ControlChanged(CControlUI* control) {
    if (G().backend != nullptr && root_) {
        G().backend->ControlChanged(this, control);
    }
}

}  // namespace marlo::ui
