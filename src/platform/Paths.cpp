#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace marlo::platform {
namespace {

// The user's home: $HOME when absolute, else the account's home when it exists; empty when
// there is none (never a shared folder such as /tmp in its place).
std::filesystem::path HomeDir() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd* pw = getpwuid(getuid());
        pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/') {
        std::error_code ec;
        if (std::filesystem::is_directory(pw->pw_dir, ec)) {
            return pw->pw_dir;
        }
    }
    return {};
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback under
// the home; empty without either.
std::filesystem::path XdgFolder(const char* variable, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return value;
    }
    const std::filesystem::path home = HomeDir();
    return home.empty() ? home : home / fallbackUnderHome;
}

// Creates a user folder when missing; a relative one (no home) is never made in the current
// folder.
std::filesystem::path Ensured(std::filesystem::path folder) {
    if (folder.is_absolute()) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
    }
    return folder;
}

// Why the program may not keep its files under `folder`, or nothing: the nearest part of it
// that exists must be this user's (or a shared sticky folder such as /tmp, under which new
// folders are the user's own).
std::optional<std::string> ForeignOwner(const std::filesystem::path& folder) {
    for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
        struct stat st {};
        if (stat(at.c_str(), &st) != 0) {
            if (at == at.parent_path()) {
                break;
            }
            continue;
        }
        const bool sharedSticky = (st.st_mode & S_ISVTX) != 0 && (st.st_mode & S_IWOTH) != 0;
        if (st.st_uid == geteuid() || sharedSticky) {
            return std::nullopt;
        }
        return at.string() + " belongs to user " + std::to_string(st.st_uid) +
               ", not to this user (" + std::to_string(geteuid()) +
               "); run the program as the user whose files these are (not with sudo)";
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Paths::CheckUserFolders() {
    const std::filesystem::path data = XdgFolder("XDG_DATA_HOME", ".local/share");
    const std::filesystem::path config = XdgFolder("XDG_CONFIG_HOME", ".config");
    if (data.empty() || config.empty()) {
        return std::string(
            "this user has no home folder: set HOME (or XDG_DATA_HOME and "
            "XDG_CONFIG_HOME) to a folder of this user's");
    }
    for (const auto& folder : {data / kProductFolder, config / kProductFolder}) {
        if (auto problem = ForeignOwner(folder)) {
            return problem;
        }
    }
    return std::nullopt;
}

std::filesystem::path Paths::DataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::filesystem::path Paths::ProductFolder() {
    return Ensured(DataHome() / kProductFolder);
}

std::filesystem::path Paths::UserDataFolder(std::string_view model) {
    return Ensured(ProductFolder() / model);
}

std::filesystem::path Paths::ConfigFolder() {
    return Ensured(XdgFolder("XDG_CONFIG_HOME", ".config") / kProductFolder);
}

std::filesystem::path Paths::ExecutableDir() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : exe.parent_path();
}

std::filesystem::path Paths::ResourceDir() {
    if (const char* dir = std::getenv("MARLO_RESOURCE_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    std::error_code ec;
    const std::filesystem::path exeDir = ExecutableDir();
    if (std::filesystem::is_directory(exeDir / "DefaultData", ec)) {
        return exeDir;
    }
    // Installed: beside the programs' folder, wherever the installation was put.
    const std::filesystem::path installed = exeDir.parent_path() / "share" / "marlo-gear";
    if (std::filesystem::is_directory(installed / "DefaultData", ec)) {
        return installed;
    }
    return std::filesystem::path(MARLO_INSTALL_DATADIR) / "marlo-gear";
}

std::filesystem::path Paths::DefaultDataDir() {
    return ResourceDir() / "DefaultData";
}

}  // namespace marlo::platform
