#include "hid/HidPath.h"

#include <cctype>
#include <cstdio>

namespace marlo::hid {

std::string HidPath::Make(const std::filesystem::path& root, std::string_view node,
                          uint16_t vendorId, uint16_t productId, uint32_t interfaceNumber,
                          uint32_t collectionNumber) {
    char identity[64];
    if (collectionNumber == 0) {
        std::snprintf(identity, sizeof identity, "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId,
                      interfaceNumber);
    } else {
        std::snprintf(identity, sizeof identity, "#vid_%04x&pid_%04x&mi_%02x&col%02x", vendorId,
                      productId, interfaceNumber, collectionNumber);
    }
    return (root / "dev" / node).string() + identity;
}

uint32_t HidPath::NumberAfter(std::string_view path, std::string_view marker) {
    // Only the identity after '#' is searched: the root folder in front of it is the user's
    // and may hold anything.
    if (const size_t hash = path.find('#'); hash != std::string_view::npos) {
        path.remove_prefix(hash);
    }
    if (marker.empty() || path.size() < marker.size()) {
        return 0;
    }
    for (size_t i = 0; i + marker.size() <= path.size(); ++i) {
        bool match = true;
        for (size_t k = 0; k < marker.size() && match; ++k) {
            match = std::tolower(static_cast<unsigned char>(path[i + k])) ==
                    std::tolower(static_cast<unsigned char>(marker[k]));
        }
        if (!match) {
            continue;
        }
        uint32_t value = 0;
        for (size_t k = i + marker.size(); k < path.size(); ++k) {
            const int c = std::tolower(static_cast<unsigned char>(path[k]));
            if (!std::isxdigit(c)) {
                break;
            }
            value = value * 16 + static_cast<uint32_t>(std::isdigit(c) ? c - '0' : c - 'a' + 10);
        }
        return value;
    }
    return 0;
}

std::filesystem::path HidPath::DeviceNode(std::string_view path) {
    return std::filesystem::path(std::string(path.substr(0, path.find('#'))));
}

std::string HidPath::NodeName(std::string_view path) {
    return DeviceNode(path).filename().string();
}

std::filesystem::path HidPath::Root(std::string_view path) {
    // <root>/dev/<node>: two levels up from the node.
    return DeviceNode(path).parent_path().parent_path();
}

std::filesystem::path HidPath::SysfsNode(const std::filesystem::path& root, std::string_view node) {
    return root / "sys/class/hidraw" / node;
}

}  // namespace marlo::hid
