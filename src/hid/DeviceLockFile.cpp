#include "hid/DeviceLockFile.h"

#include <sys/stat.h>

#include <cerrno>

#include "hid/HidPath.h"
#include "platform/RuntimeDir.h"
#include "platform/StableHash.h"

namespace marlo::hid {

std::optional<std::filesystem::path> DeviceLockFile(std::string_view interfacePath) {
    const auto runtime = platform::PrivateRuntimeDir();
    if (!runtime) {
        return std::nullopt;
    }
    const std::filesystem::path folder = *runtime / "devices";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return std::nullopt;
    }
    const std::string node = HidPath::NodeName(interfacePath);
    return folder /
           (node.substr(0, 64) + "-" +
            platform::StableHashHex(HidPath::DeviceNode(interfacePath).native()) + ".lock");
}

}  // namespace marlo::hid
