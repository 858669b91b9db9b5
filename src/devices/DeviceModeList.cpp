#include "devices/DeviceModeList.h"

#include "platform/JsonDocument.h"
#include "platform/Paths.h"

namespace marlo::devices {

std::vector<DeviceMode> LoadDeviceModes(int model) {
    std::vector<DeviceMode> modes;
    const Json::Value models = platform::JsonDocument::Read(
        platform::Paths::DefaultDataDir() / "default_light.json", 4 * 1024 * 1024)["Models"];
    if (!models.isArray() || model < 0 || models.size() <= static_cast<unsigned>(model)) {
        return modes;
    }
    for (const Json::Value& mode : models[model]["Modes"]) {
        DeviceMode entry;
        if (mode.isObject()) {
            entry.value = mode["Value"].isInt() ? mode["Value"].asInt() : 0;
            entry.visible = mode["Visible"].isInt() && mode["Visible"].asInt() != 0;
            entry.name = mode["Name"].isString() ? mode["Name"].asString() : "";
        }
        modes.push_back(std::move(entry));
    }
    return modes;
}

}  // namespace marlo::devices
