#pragma once

#include <memory>

#include "devices/MousePadDriver.h"
#include "pages/ZentrixUSBDevice.h"

namespace marlo::pages {

// The lighted mouse pad: its page ("mousepaddevice.xml") and the base behaviour.
class CZentrixMousePadDevice : public CZentrixUSBDevice {
  public:
    CZentrixMousePadDevice() : CZentrixUSBDevice(std::make_unique<devices::MousePadDriver>()) {}
    std::string_view GetClass() const override { return "ZentrixMousePadDevice"; }

  protected:
    int PageKind() const override { return 3; }
};

}  // namespace marlo::pages
