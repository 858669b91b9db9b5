#pragma once

#include "devices/ZentrixUSBDevice.h"

namespace marlo::devices {

// The keyboard: its page ("keyboarddevice.xml"), reached by cable or through its receiver,
// with both of its interfaces (commands and events) opened by the device list.
class CZentrixKeyboardDevice : public CZentrixUSBDevice {
  public:
    std::string_view GetClass() const override { return "ZentrixKeyboardDevice"; }

  protected:
    void ReadFromDevice() override { ReadFirmwareVersion(); }
    int PageKind() const override { return 1; }

  public:
    // Behind the receiver: only while the channel is connected and the link check answers.
    int IsPresent() override { return ReceiverLinkPresent(); }
    // The keyboard takes the colour stream only in its host-streamed lighting modes, which
    // the lighting engine drives; in every other mode the frame is shown on the page only.
    void PresentFrame() override { PresentOnPageOnly(); }
};

}  // namespace marlo::devices
