#pragma once

#include "devices/ZentrixUSBDevice.h"

namespace marlo::devices {

// The USB headset: its page ("hs6533device.xml"), made on its first arrival, and the base
// behaviour; its audio and lighting come with the headset's chip library.
class CZentrixHS6533Device : public CZentrixUSBDevice {
  public:
    std::string_view GetClass() const override { return "ZentrixHS6533Device"; }

    // The headset takes its frames as lighting reports of its own, not as the keyboard's
    // colour stream; until they are sent the frame is shown on the page only.
    void PresentFrame() override { PresentOnPageOnly(); }

  protected:
    int PageKind() const override { return 7; }
};

}  // namespace marlo::devices
