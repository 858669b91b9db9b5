#pragma once

#include "pages/ZentrixUSBDevice.h"

namespace marlo::pages {

// The lighted mouse pad: its page ("mousepaddevice.xml") and the base behaviour.
class CZentrixMousePadDevice : public CZentrixUSBDevice {
  public:
    std::string_view GetClass() const override { return "ZentrixMousePadDevice"; }

  protected:
    void ReadFromDevice() override { ReadFirmwareVersion(); }
    int PageKind() const override { return 3; }
};

}  // namespace marlo::pages
