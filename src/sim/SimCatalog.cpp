#include "sim/SimCatalog.h"

#include "sim/Descriptors.h"
#include "sim/HeadsetDevice.h"
#include "sim/KeyboardDevice.h"
#include "sim/PlainDevice.h"
#include "sim/ReceiverDevice.h"

namespace marlo::sim {

std::unique_ptr<SimDevice> SimCatalog::Create(std::string_view kind) {
    if (kind == "keyboard") {
        return std::make_unique<KeyboardDevice>();
    }
    if (kind == "keyboard-nofn") {
        return std::make_unique<KeyboardDevice>(false);
    }
    if (kind == "keyboard-readback") {
        return std::make_unique<KeyboardDevice>(true, KeyboardModel::TableRead::kWritten);
    }
    if (kind == "receiver") {
        return std::make_unique<ReceiverDevice>();
    }
    if (kind == "keyboard-if0") {
        return std::make_unique<PlainDevice>(
            SimDeviceInfo{"keyboard-if0", kKeyboardVendor, kKeyboardProduct, 0x0105, 0,
                          "Marlo Gear Keyboard", Descriptors::KeyboardInterface0()});
    }
    if (kind == "headset") {
        return std::make_unique<HeadsetDevice>();
    }
    if (kind == "mouse") {
        return std::make_unique<PlainDevice>(SimDeviceInfo{"mouse", 0x046D, 0xC077, 0x7200, 0,
                                                           "Optical Mouse", Descriptors::Mouse()});
    }
    return nullptr;
}

std::vector<std::string> SimCatalog::Kinds() {
    return {"keyboard", "keyboard-nofn", "keyboard-readback", "keyboard-if0", "receiver", "headset", "mouse"};
}

}  // namespace marlo::sim
