#include "devices/MousePadDriver.h"

namespace marlo::devices {

MousePadDriver::~MousePadDriver() {
    Stop();
}

}  // namespace marlo::devices
