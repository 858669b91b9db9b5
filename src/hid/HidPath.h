#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace marlo::hid {

// Interface paths name a hidraw node and a Windows-style identity after '#':
//   <root>/dev/hidraw3#vid_320f&pid_5055&mi_01&col04
// The collection part is present only when the node has two or more top-level collections.
class HidPath {
  public:
    static std::string Make(const std::filesystem::path& root, std::string_view node,
                            uint16_t vendorId, uint16_t productId, uint32_t interfaceNumber,
                            uint32_t collectionNumber);

    // The hexadecimal number after `marker` (found ignoring case, in the identity from the
    // first '#' on when there is one), read up to the first character that is not a
    // hexadecimal digit; 0 when the marker is absent.
    static uint32_t NumberAfter(std::string_view path, std::string_view marker);
    static uint32_t InterfaceNumber(std::string_view path) { return NumberAfter(path, "&mi_"); }
    static uint32_t CollectionNumber(std::string_view path) { return NumberAfter(path, "&col"); }

    // The device node part (before '#'), its node name, and the root it lives under.
    static std::filesystem::path DeviceNode(std::string_view path);
    static std::string NodeName(std::string_view path);
    static std::filesystem::path Root(std::string_view path);
    // <root>/sys/class/hidraw/<node>
    static std::filesystem::path SysfsNode(const std::filesystem::path& root,
                                           std::string_view node);
};

}  // namespace marlo::hid
