#include "sim/KeyboardDevice.h"

#include "sim/Descriptors.h"
#include "sim/SimCatalog.h"

namespace marlo::sim {

KeyboardDevice::KeyboardDevice(bool withFn)
    : CommandDevice(
          SimDeviceInfo{"keyboard", SimCatalog::kKeyboardVendor, SimCatalog::kKeyboardProduct,
                        0x0105, 1, "Marlo Gear Keyboard", Descriptors::KeyboardInterface1()},
          true),
      model_(withFn) {}

}  // namespace marlo::sim
