#pragma once

#include <cstdint>
#include <string>

#include "platform/MessageLoop.h"

namespace marlo::ui {

// The program's icon in the desktop's notification area. Clicks on it reach the owner window
// as the callback message, with the mouse message (kWmLButtonUp, kWmRButtonUp) in lParam.
class CTrayIcon {
  public:
    CTrayIcon() = default;
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // False when the desktop has no notification area (the icon is then not shown).
    bool CreateTrayIcon(platform::WindowHandle owner, uint32_t iconResource,
                        const std::string& tooltip, uint32_t callbackMessage);
    void DeleteTrayIcon();
    void SetTooltipText(const std::string& tooltip);

    bool IsVisible() const { return visible_; }
    const std::string& GetTooltipText() const { return tooltip_; }
    uint32_t GetIcon() const { return icon_; }
    // The display backend reports a click with its mouse message.
    void OnClick(intptr_t mouseMessage);

  private:
    platform::WindowHandle owner_ = 0;
    uint32_t icon_ = 0;
    uint32_t callbackMessage_ = 0;
    std::string tooltip_;
    bool visible_ = false;
};

}  // namespace marlo::ui
