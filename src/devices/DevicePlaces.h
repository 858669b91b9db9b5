#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace marlo::devices {

// Where a device's files are, asked for whenever they are needed: the user's folder for it
// (made on first use), its factory profile, and the profile its list has selected (the person
// may choose another at any time; the factory one when none is).
struct DevicePlaces {
    std::function<std::filesystem::path()> userFolder;
    std::function<std::filesystem::path()> defaultProfile;
    std::function<std::filesystem::path()> selectedProfile;

    // The places of the device named `name` ("keyboard", "HD") whose profile list is of kind
    // `profileKind`.
    static DevicePlaces Standard(const std::string& name, int profileKind);
};

}  // namespace marlo::devices
