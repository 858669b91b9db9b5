#include "pages/DeviceProfileUI.h"

#include <optional>

#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"

namespace marlo::pages {

namespace {

constexpr int kEntryHeight = 30;

// Whether a page kind shows or hides a feature tab; nothing where it leaves the skin's choice.
std::optional<bool> TabShown(int pageKind, std::string_view tab) {
    const bool keysMacrosSystem =
        tab == "macro_Op_tab" || tab == "system_Op_tab" || tab == "key_Op_tab";
    const bool audio =
        tab == "6533_voice_Op_tab" || tab == "magic_Op_tab" || tab == "Virtual7.1_Op_tab";
    if (tab == "cursor_Op_tab" && pageKind != 2 && pageKind != 6) {
        return false;
    }
    switch (pageKind) {
        case 3:
        case 5:
        case 7:
            if (keysMacrosSystem) {
                return false;
            }
            if (pageKind == 7 && audio) {
                return true;
            }
            return std::nullopt;
        case 4:
            if (tab == "macro_Op_tab" || tab == "key_Op_tab") {
                return false;
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

void CDeviceProfileUI::SetPaths(std::filesystem::path deviceFolder,
                                std::filesystem::path defaultProfile) {
    list_ = std::make_unique<profiles::ProfileList>(std::move(deviceFolder),
                                                    std::move(defaultProfile), pageKind_);
}

ui::CComboUI* CDeviceProfileUI::Combo() {
    return dynamic_cast<ui::CComboUI*>(FindSubControl("device_profile_combo"));
}

void CDeviceProfileUI::LoadProfileList() {
    if (list_ == nullptr) {
        return;
    }
    list_->Load();
    FillCombo();
    for (const char* tab : kTabs) {
        const auto shown = TabShown(pageKind_, tab);
        if (ui::CControlUI* control = FindSubControl(tab); control != nullptr && shown) {
            control->SetVisible(*shown);
        }
    }
}

void CDeviceProfileUI::FillCombo() {
    ui::CComboUI* combo = Combo();
    if (combo == nullptr || list_ == nullptr) {
        return;
    }
    combo->RemoveAll();
    for (const std::string& name : list_->names()) {
        auto entry = std::make_unique<ui::CListLabelElementUI>();
        entry->SetText(name);
        entry->SetUserData(name);
        entry->SetAttribute("height", std::to_string(kEntryHeight));
        combo->Add(std::move(entry));
    }
    if (list_->selected() >= 0) {
        combo->SelectItem(list_->selected(), false, false);
        SetNameEditText(list_->names()[static_cast<size_t>(list_->selected())]);
    }
}

void CDeviceProfileUI::SelectOptionTab(int tab) {
    for (size_t i = 0; i < kTabs.size(); ++i) {
        if (auto* option = dynamic_cast<ui::COptionUI*>(FindSubControl(kTabs[i]))) {
            option->Selected(static_cast<int>(i) + 1 == tab, false);
        }
    }
}

std::string CDeviceProfileUI::GetSelectedUUID() const {
    return list_ != nullptr ? list_->selectedUuid() : std::string();
}

std::string CDeviceProfileUI::SelectedName() const {
    if (list_ == nullptr || list_->selected() < 0 ||
        static_cast<size_t>(list_->selected()) >= list_->names().size()) {
        return {};
    }
    return list_->names()[static_cast<size_t>(list_->selected())];
}

profiles::ListResult CDeviceProfileUI::SelectProfile(int index, bool notify) {
    if (list_ == nullptr) {
        return profiles::ListResult::kNoSelection;
    }
    const profiles::ListResult result = list_->SelectProfile(index);
    if (result == profiles::ListResult::kDone) {
        if (ui::CComboUI* combo = Combo()) {
            combo->SelectItem(index, true, notify);
        }
        SetNameEditText(list_->names()[static_cast<size_t>(index)]);
    }
    return result;
}

profiles::ListResult CDeviceProfileUI::Changed(profiles::ListResult result) {
    if (result == profiles::ListResult::kDone) {
        FillCombo();
    }
    return result;
}

profiles::ListResult CDeviceProfileUI::NewProfile() {
    return list_ ? Changed(list_->NewProfile()) : profiles::ListResult::kNoSelection;
}
profiles::ListResult CDeviceProfileUI::CopyProfile() {
    return list_ ? Changed(list_->CopyProfile()) : profiles::ListResult::kNoSelection;
}
profiles::ListResult CDeviceProfileUI::RenameProfile(const std::string& name) {
    return list_ ? Changed(list_->RenameProfile(name)) : profiles::ListResult::kNoSelection;
}
profiles::ListResult CDeviceProfileUI::DeleteProfile() {
    return list_ ? Changed(list_->DeleteProfile()) : profiles::ListResult::kNoSelection;
}
profiles::ListResult CDeviceProfileUI::ResetProfile() {
    return list_ ? Changed(list_->ResetProfile()) : profiles::ListResult::kNoSelection;
}
profiles::ListResult CDeviceProfileUI::ImportProfile(const std::filesystem::path& source) {
    return list_ ? Changed(list_->ImportProfile(source)) : profiles::ListResult::kNoSelection;
}

profiles::ListResult CDeviceProfileUI::ExportProfile(const std::filesystem::path& destination) {
    return list_ != nullptr ? list_->ExportProfile(destination)
                            : profiles::ListResult::kNoSelection;
}

size_t CDeviceProfileUI::GetProfileCount() const {
    return list_ != nullptr ? list_->GetProfileCount() : 0;
}

std::filesystem::path CDeviceProfileUI::GetProfilePathAt(int index) const {
    return list_ != nullptr ? list_->GetProfilePathAt(index) : std::filesystem::path();
}

void CDeviceProfileUI::RefreshCombo() {
    if (ui::CComboUI* combo = Combo()) {
        combo->Invalidate();
    }
}

void CDeviceProfileUI::SetNameEditText(const std::string& text) {
    if (ui::CControlUI* edit = FindSubControl("device_profile_name_edit")) {
        edit->SetText(text);
    }
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
    if (ui::CControlUI* menu = FindSubControl("profile_menu_layout")) {
        menu->SetVisible(show);
    }
}

bool CDeviceProfileUI::IsProfileMenuShown() {
    ui::CControlUI* menu = FindSubControl("profile_menu_layout");
    return menu != nullptr && menu->GetOwnVisibility();
}

std::string CDeviceProfileUI::notice() const {
    return list_ != nullptr ? list_->notice() : std::string();
}

}  // namespace marlo::pages
