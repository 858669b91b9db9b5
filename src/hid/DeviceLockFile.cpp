#include "hid/DeviceLockFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "hid/HidPath.h"
#include "platform/RuntimeDir.h"

namespace marlo::hid {
namespace {

// FNV-1a: stable across builds and programs, which std::hash does not promise.
uint64_t Fnv1a(std::string_view text) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

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
    char hash[17];
    std::snprintf(
        hash, sizeof hash, "%016llx",
        static_cast<unsigned long long>(Fnv1a(HidPath::DeviceNode(interfacePath).native())));
    return folder / (node.substr(0, 64) + "-" + hash + ".lock");
}

}  // namespace marlo::hid
