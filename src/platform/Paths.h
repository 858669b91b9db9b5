#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace marlo::platform {

// Where the program keeps and finds its files. Folders that hold user data are created when
// missing; a folder that cannot be created is still returned (the write into it then fails and
// is reported where it happens). Programs call CheckUserFolders before they use any of them.
class Paths {
  public:
    // The product's name as a folder: user data and configuration live under it.
    static constexpr std::string_view kProductFolder = "Marlo Gear";

    // Why this process may not keep user files, or nothing when it may: the user has no home
    // folder (and no XDG folders), or the folders belong to another user (a program started
    // by root with another user's home would leave root-owned folders that user cannot write).
    static std::optional<std::string> CheckUserFolders();

    // $XDG_DATA_HOME, or ~/.local/share; empty without a home folder.
    static std::filesystem::path DataHome();
    // DataHome/"Marlo Gear".
    static std::filesystem::path ProductFolder();
    // ProductFolder/<model>: a device's profiles, lists, macros and light configurations.
    static std::filesystem::path UserDataFolder(std::string_view model);
    // $XDG_CONFIG_HOME (or ~/.config)/"Marlo Gear".
    static std::filesystem::path ConfigFolder();
    // The folder of the running executable.
    static std::filesystem::path ExecutableDir();
    // Factory data, skin, fonts and the chip library: $MARLO_RESOURCE_DIR when set; else the
    // executable's folder when it holds DefaultData/ (the build tree); else share/marlo-gear
    // beside the executable's folder when it holds DefaultData/ (installed anywhere); else
    // <install prefix>/share/marlo-gear.
    static std::filesystem::path ResourceDir();
    // ResourceDir/"DefaultData".
    static std::filesystem::path DefaultDataDir();
};

}  // namespace marlo::platform
