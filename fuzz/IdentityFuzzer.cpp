// Text from sysfs and interface paths: a node's uevent and an interface path's identity give
// their numbers or nothing, and the parts of a path are always parts of it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "hid/HidPath.h"
#include "hid/HidrawNode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    marlo::hid::HidAttributes attributes;
    uint32_t interfaceNumber = 0;
    marlo::hid::HidrawNode::ParseUevent(text, attributes, interfaceNumber);

    marlo::hid::HidPath::InterfaceNumber(text);
    marlo::hid::HidPath::CollectionNumber(text);
    const std::string node = marlo::hid::HidPath::NodeName(text);
    if (node.find('/') != std::string::npos) {
        std::abort();  // a node name is one path component
    }
    const std::string device = marlo::hid::HidPath::DeviceNode(text).string();
    if (text.compare(0, device.size(), device) != 0) {
        std::abort();  // the device part is the text before '#'
    }
    marlo::hid::HidPath::Root(text);
    return 0;
}
