#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace marlo::hid {

// The lock file that every program of this user takes while it talks to the node behind an
// interface path: <private runtime folder>/devices/<node>-<hash of the node's path>.lock.
// hidraw hands every input report to every open handle, so two programs that talk to one
// device at once would read each other's answers; this file keeps them apart. Nothing when
// the private runtime folder cannot be had.
std::optional<std::filesystem::path> DeviceLockFile(std::string_view interfacePath);

}  // namespace marlo::hid
