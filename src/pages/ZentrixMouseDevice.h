#pragma once

#include "pages/ZentrixUSBDevice.h"

namespace marlo::pages {

// The mouse: its page ("mousedevice.xml"), reached by cable or through its receiver.
// Its own commands come with the mouse's settings; until then it is the base behaviour.
class CZentrixMouseDevice : public CZentrixUSBDevice {
  public:
    std::string_view GetClass() const override { return "ZentrixMouseDevice"; }

  protected:
    void ReadFromDevice() override { ReadFirmwareVersion(); }
    int PageKind() const override { return 2; }

  public:
    // Behind the receiver: only while the channel is connected and the link check answers.
    int IsPresent() override { return ReceiverLinkPresent(); }
    // The mouse value of the device-page template.
    void SetMouseValue(int value) { mouseValue_ = value; }
    int mouseValue() const { return mouseValue_; }

  private:
    int mouseValue_ = -1;
};

}  // namespace marlo::pages
