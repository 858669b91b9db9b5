#include "sim/KeyboardDevice.h"

#include "sim/Descriptors.h"
#include "sim/SimCatalog.h"

namespace marlo::sim {

KeyboardDevice::KeyboardDevice(bool withFn, KeyboardModel::TableRead tableRead)
    : CommandDevice(
          SimDeviceInfo{"keyboard", SimCatalog::kKeyboardVendor, SimCatalog::kKeyboardProduct,
                        0x0105, 1, "Marlo Gear Keyboard", Descriptors::KeyboardInterface1()},
          true),
      model_(withFn, tableRead) {}

}  // namespace marlo::sim
