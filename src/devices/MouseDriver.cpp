#include "devices/MouseDriver.h"

namespace marlo::devices {

MouseDriver::~MouseDriver() {
    Stop();  // its threads call its overrides
}

}  // namespace marlo::devices
