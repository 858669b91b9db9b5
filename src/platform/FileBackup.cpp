#include "platform/FileBackup.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "platform/DebugOutput.h"

namespace marlo::platform {

std::optional<std::filesystem::path> KeepUnreadableFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return std::nullopt;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = file.filename().string() + ".unreadable-" + stamp;
    for (int n = 0; n < 1000; ++n) {
        std::filesystem::path backup =
            file.parent_path() / (n == 0 ? base : base + "-" + std::to_string(n));
        if (std::filesystem::exists(backup, ec)) {
            continue;
        }
        std::filesystem::rename(file, backup, ec);
        if (ec) {
            DebugOutput::Printf("cannot keep unreadable file %s: %s", file.c_str(),
                                ec.message().c_str());
            return std::nullopt;
        }
        DebugOutput::Printf("kept unreadable file as %s", backup.c_str());
        return backup;
    }
    return std::nullopt;
}

}  // namespace marlo::platform
