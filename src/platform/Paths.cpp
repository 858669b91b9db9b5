#include "platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace marlo::platform {
namespace {

std::filesystem::path HomeDir() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return "/tmp";
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback.
std::filesystem::path XdgFolder(const char* variable, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return value;
    }
    return HomeDir() / fallbackUnderHome;
}

std::filesystem::path Ensured(std::filesystem::path folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace

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
    return std::filesystem::path(MARLO_INSTALL_DATADIR) / "marlo-gear";
}

std::filesystem::path Paths::DefaultDataDir() {
    return ResourceDir() / "DefaultData";
}

}  // namespace marlo::platform
