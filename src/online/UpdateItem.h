#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace marlo::online {

// One updatable item of the settings window: a copy of a row of the product family table with
// the version found at run time. Items with a first number other than 0 are devices, whose
// versions are hexadecimal; the last row ("ALL") is the program itself, in decimal.
struct UpdateItem {
    int32_t number1 = 0;
    int32_t number2 = 0;
    int32_t version = 0;
    std::string brand;
    std::string model;
    std::string name1;
    std::string name2;
    std::string versionText;

    bool IsHexadecimal() const { return number1 != 0; }
    bool IsProgram() const { return model == "ALL"; }
    // The name a row shows: the second short name ("AP" for the program).
    const std::string& ShownName() const { return name2; }
    // "V" and the version: four hexadecimal digits for devices ("V0102"), decimal otherwise.
    std::string LocalVersionText() const;
    // Brand, first number, model, first short name and second number joined by underscores;
    // "NULL" for an item without a version.
    std::string ApplicationKey() const;
    // The form body, "app_key=<key>&version=<version>", with its terminating zero byte.
    std::vector<uint8_t> RequestBody() const;
};

// The program's installed version as the update service counts it: "1.0.3" without its dots,
// read as a decimal number (103); 0 for a text without digits.
int32_t ProgramVersionNumber(const std::string& versionText);

// The items of the settings window, in table order: for each device row the version of the
// connected product in `deviceVersions` (0 when none is connected), for the program row
// `programVersion`. Items whose version is 0 are left out.
std::vector<UpdateItem> BuildUpdateItems(std::span<const uint16_t> deviceVersions,
                                         int32_t programVersion);

}  // namespace marlo::online
