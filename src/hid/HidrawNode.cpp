#include "hid/HidrawNode.h"

#include <sys/stat.h>

#include <charconv>
#include <sstream>

#include "hid/HidPath.h"
#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"

namespace marlo::hid {
namespace {

constexpr size_t kMaxUeventBytes = 16384;

// "HID_ID=0003:0000320F:00005055": bus, vendor, product in hexadecimal.
bool ParseHidId(const std::string& value, HidAttributes& attributes) {
    const size_t first = value.find(':');
    const size_t second = value.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        return false;
    }
    uint32_t vendor = 0;
    uint32_t product = 0;
    const char* v = value.data() + first + 1;
    const char* p = value.data() + second + 1;
    if (std::from_chars(v, value.data() + second, vendor, 16).ec != std::errc() ||
        std::from_chars(p, value.data() + value.size(), product, 16).ec != std::errc()) {
        return false;
    }
    attributes.vendorId = static_cast<uint16_t>(vendor);
    attributes.productId = static_cast<uint16_t>(product);
    return true;
}

// "HID_PHYS=usb-0000:00:14.0-2/input1": the interface number is the "/inputN" tail.
uint32_t InterfaceFromPhys(const std::string& phys) {
    const size_t at = phys.rfind("/input");
    if (at == std::string::npos) {
        return 0;
    }
    uint32_t n = 0;
    const char* begin = phys.data() + at + 6;
    std::from_chars(begin, phys.data() + phys.size(), n, 10);
    return n;
}

// A number from a small sysfs file such as bcdDevice ("0102" in hexadecimal).
uint16_t ReadHexFile(const std::filesystem::path& file) {
    const auto text = platform::ReadWholeFile(file, 64);
    if (!text) {
        return 0;
    }
    uint32_t v = 0;
    std::from_chars(text->data(), text->data() + text->size(), v, 16);
    return static_cast<uint16_t>(v);
}

}  // namespace

bool HidrawNode::ParseUevent(const std::string& text, HidAttributes& attributes,
                             uint32_t& interfaceNumber) {
    bool haveId = false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("HID_ID=")) {
            haveId = ParseHidId(line.substr(7), attributes);
        } else if (line.starts_with("HID_PHYS=")) {
            interfaceNumber = InterfaceFromPhys(line.substr(9));
        }
    }
    return haveId;
}

std::optional<HidrawNodeInfo> HidrawNode::Read(const std::filesystem::path& root,
                                               const std::string& node) {
    const std::filesystem::path device = HidPath::SysfsNode(root, node) / "device";
    const auto uevent = platform::ReadWholeFile(device / "uevent", kMaxUeventBytes);
    const auto descriptorBytes =
        platform::ReadWholeFile(device / "report_descriptor", ReportDescriptor::kMaxBytes);
    if (!uevent || !descriptorBytes) {
        return std::nullopt;
    }
    HidrawNodeInfo info;
    if (!ParseUevent(*uevent, info.attributes, info.interfaceNumber)) {
        platform::DebugOutput::Printf("%s: ignored, its uevent has no usable HID_ID", node.c_str());
        return std::nullopt;
    }
    // The USB device two levels above the HID device carries the release number.
    info.attributes.version = ReadHexFile(device / ".." / ".." / "bcdDevice");
    const auto* data = reinterpret_cast<const uint8_t*>(descriptorBytes->data());
    std::string why;
    auto descriptor = ReportDescriptor::Parse(std::span(data, descriptorBytes->size()), &why);
    if (!descriptor || descriptor->collections().empty()) {
        // The device stays invisible; say why, so a person can tell it from a missing device.
        platform::DebugOutput::Printf("%s: report descriptor refused: %s", node.c_str(),
                                      descriptor ? "no top-level collection" : why.c_str());
        return std::nullopt;
    }
    info.descriptor = std::move(*descriptor);
    return info;
}

bool HidrawNode::Present(const std::filesystem::path& root, const std::string& node) {
    struct stat st {};
    return lstat((root / "dev" / node).c_str(), &st) == 0 &&
           stat((HidPath::SysfsNode(root, node) / "device").c_str(), &st) == 0;
}

}  // namespace marlo::hid
