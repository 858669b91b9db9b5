#include "sim/SimCatalog.h"

#include "sim/CommandDevice.h"
#include "sim/Descriptors.h"
#include "sim/PlainDevice.h"

namespace marlo::sim {

std::unique_ptr<SimDevice> SimCatalog::Create(std::string_view kind) {
    if (kind == "keyboard") {
        return std::make_unique<CommandDevice>(SimDeviceInfo{
            "keyboard", kKeyboardVendor, kKeyboardProduct, 0x0105, 1, "Marlo Gear Keyboard",
            Descriptors::KeyboardInterface1()});
    }
    if (kind == "keyboard-if0") {
        return std::make_unique<PlainDevice>(SimDeviceInfo{
            "keyboard-if0", kKeyboardVendor, kKeyboardProduct, 0x0105, 0, "Marlo Gear Keyboard",
            Descriptors::KeyboardInterface0()});
    }
    if (kind == "headset") {
        return std::make_unique<CommandDevice>(SimDeviceInfo{
            "headset", kHeadsetVendor, kHeadsetProduct, 0x0100, 3, "Marlo Gear Headset",
            Descriptors::HeadsetInterface3()});
    }
    if (kind == "mouse") {
        return std::make_unique<PlainDevice>(
            SimDeviceInfo{"mouse", 0x046D, 0xC077, 0x7200, 0, "Optical Mouse", Descriptors::Mouse()});
    }
    return nullptr;
}

std::vector<std::string> SimCatalog::Kinds() {
    return {"keyboard", "keyboard-if0", "headset", "mouse"};
}

}  // namespace marlo::sim
