#pragma once

#include "devices/DeviceDriver.h"

namespace marlo::devices {

// The lighted mouse pad, by cable: the common driver's channel, lighting (the common effects)
// and events, and its firmware version.
class MousePadDriver : public DeviceDriver {
  public:
    ~MousePadDriver() override;
};

}  // namespace marlo::devices
