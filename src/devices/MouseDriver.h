#pragma once

#include "devices/DeviceDriver.h"

namespace marlo::devices {

// The mouse, by cable or through its receiver: the common driver's channel, lighting and
// events, its firmware version, and its presence behind the receiver. Its own commands come
// with the mouse's settings.
class MouseDriver : public DeviceDriver {
  public:
    ~MouseDriver() override;
    // Behind the receiver: only while the channel is connected and the link check answers.
    int IsPresent() override { return ReceiverLinkPresent(); }
};

}  // namespace marlo::devices
