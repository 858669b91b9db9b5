#pragma once

#include <string>
#include <vector>

namespace marlo::devices {

// An entry of a device kind's mode list in the factory data ("default_light.json"): its value
// on the device, whether the list shows it, and its name key.
struct DeviceMode {
    int value = 0;
    bool visible = false;
    std::string name;
};

// The mode list of model `model` (0 mouse, 1 keyboard, 2 mouse pad, 3 headset); empty when the
// factory data has none.
std::vector<DeviceMode> LoadDeviceModes(int model);

}  // namespace marlo::devices
