#pragma once

#include <memory>

#include "devices/MouseDriver.h"
#include "pages/ZentrixUSBDevice.h"

namespace marlo::pages {

// The mouse: its page ("mousedevice.xml"), reached by cable or through its receiver.
// What it is told is its driver's (MouseDriver).
class CZentrixMouseDevice : public CZentrixUSBDevice {
  public:
    CZentrixMouseDevice() : CZentrixUSBDevice(std::make_unique<devices::MouseDriver>()) {}
    std::string_view GetClass() const override { return "ZentrixMouseDevice"; }

  protected:
    int PageKind() const override { return 2; }

  public:
    // The mouse value of the device-page template.
    void SetMouseValue(int value) { mouseValue_ = value; }
    int mouseValue() const { return mouseValue_; }

  private:
    int mouseValue_ = -1;
};

}  // namespace marlo::pages
