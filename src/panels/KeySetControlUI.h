#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "panels/KeyAssignmentCodec.h"
#include "ui/ContainerUI.h"

namespace marlo::ui {
class CComboUI;
class CEditUI;
class COptionUI;
class CTabLayoutUI;
}  // namespace marlo::ui

namespace marlo::panels {

// The key assignment panel of a device page ("KeySetControlItem"): what one key or button
// does, chosen by category (a key with a modifier, a mouse button, a media or system function,
// a macro with its run mode, a shortcut, …). Show puts a code into the controls, Read builds
// the code from them; the main window stores it into the device's key list.
class CKeySetControlUI : public ui::CHorizontalLayoutUI {
  public:
    static constexpr const char* kModifierPrefix = "key_ComBox_check_";

    std::string_view GetClass() const override { return "KeySetControlUI"; }

    // Looks the controls up (after the panel is built).
    void Init();
    void SetDeviceKind(int kind) { deviceKind_ = kind; }
    void SetMainWindow(uintptr_t window) { mainWindow_ = window; }
    // The macros' names, in the order keys number them.
    void SetMacroList(const std::vector<std::string>& names);
    void SwitchPage(int page);
    int page() const { return page_; }

    // A key is opened: its code is shown and remembered as the one it was opened with.
    void Open(KeyCode code);
    KeyCode opened() const { return opened_; }
    void Show(KeyCode code);
    KeyCode Read() const;
    // The category chosen in the combo: its page follows.
    void SelectCategoryItem(int item);
    // A key captured in the key field (by its virtual-key code): shown by name, kept as the
    // key's code. False when no key of the table has that code.
    bool CaptureVirtualKey(uint16_t virtualKey);

    void EnableButtons(bool enable);
    void SelectModifier(int option);
    int SelectedModifier() const;

  private:
    ui::CComboUI* Combo(const char* name) const;
    ui::CEditUI* Edit(const char* name) const;
    KeySetState State() const;
    void Apply(const KeySetState& state);
    int EditNumber(const char* name) const;
    void SetEditNumber(const char* name, int value);

    KeyCode opened_;
    int deviceKind_ = 0;
    uintptr_t mainWindow_ = 0;
    int page_ = 0;
    int macroCount_ = 0;
    int keyboardRow_ = -1;  // the captured key's row
    bool initialised_ = false;
};

}  // namespace marlo::panels
