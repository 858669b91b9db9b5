#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "profiles/ListResult.h"
#include "profiles/ProfileList.h"
#include "ui/ContainerUI.h"

namespace marlo::ui {
class CComboUI;
}

namespace marlo::pages {

// The profile panel of a device page: the device's profiles in "device_profile_combo", the
// name edit, the profile menu, and the row of feature tabs, of which it shows the ones the
// device kind has. The list itself (ProfileList.ini and the profile files) is the model's;
// the panel keeps the combo in the same order and says which profile is current.
class CDeviceProfileUI : public ui::CHorizontalLayoutUI {
  public:
    // The feature tabs, numbered 1-8 in this order.
    static constexpr std::array<const char*, 8> kTabs = {
        "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
        "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

    std::string_view GetClass() const override { return "DeviceProfileUI"; }

    // Set-up by the device page, in this order.
    void SetPageKind(int kind) { pageKind_ = kind; }
    void SetPaths(std::filesystem::path deviceFolder, std::filesystem::path defaultProfile);
    // Reads (or first makes) the list, fills the combo, selects the stored profile and hides
    // the tabs the page kind does not have.
    void LoadProfileList();
    void SelectOptionTab(int tab);
    std::string GetSelectedUUID() const;
    std::string SelectedName() const;

    profiles::ListResult SelectProfile(int index, bool notify);
    profiles::ListResult NewProfile();
    profiles::ListResult CopyProfile();
    profiles::ListResult RenameProfile(const std::string& name);
    profiles::ListResult DeleteProfile();
    profiles::ListResult ResetProfile();
    profiles::ListResult ImportProfile(const std::filesystem::path& source);
    profiles::ListResult ExportProfile(const std::filesystem::path& destination);
    size_t GetProfileCount() const;
    std::filesystem::path GetProfilePathAt(int index) const;
    void RefreshCombo();
    void SetNameEditText(const std::string& text);
    void ShowProfileMenu(bool show);
    bool IsProfileMenuShown();
    // What the last operation wants the person to know (a damaged list set aside, …).
    std::string notice() const;

  private:
    ui::CComboUI* Combo();
    // The combo from the model: one entry per profile, the model's selection.
    void FillCombo();
    // After an operation of the model: the combo follows a change.
    profiles::ListResult Changed(profiles::ListResult result);

    int pageKind_ = 0;
    std::unique_ptr<profiles::ProfileList> list_;
};

}  // namespace marlo::pages
