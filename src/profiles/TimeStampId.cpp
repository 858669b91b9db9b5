#include "profiles/TimeStampId.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace marlo::profiles {

std::string TimeStampId::Format(int64_t epochMs) {
    const std::time_t seconds = static_cast<std::time_t>(epochMs / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(epochMs % 1000));
    return text;
}

std::string TimeStampId::Next(const std::filesystem::path& folder, std::string_view extension) {
    static std::mutex mutex;
    static int64_t last = 0;
    std::lock_guard lock(mutex);
    using namespace std::chrono;
    int64_t ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    if (ms <= last) {
        ms = last + 1;
    }
    std::error_code ec;
    std::string id = Format(ms);
    while (std::filesystem::exists(folder / (id + std::string(extension)), ec)) {
        id = Format(++ms);
    }
    last = ms;
    return id;
}

}  // namespace marlo::profiles
