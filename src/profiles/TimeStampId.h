#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace marlo::profiles {

// Names for new profiles and macros: the local time as "%d_%02d_%02d_%02d_%02d_%02d_%03d"
// (year, month, day, hour, minute, second, millisecond). Two names made within the same
// millisecond would name the same file, so a name is never given twice in a process, and
// never one whose file already exists in `folder`: the time moves on by a millisecond until
// it is free.
class TimeStampId {
  public:
    static std::string Next(const std::filesystem::path& folder, std::string_view extension);
    // The name of a moment given in milliseconds since the epoch, in local time.
    static std::string Format(int64_t epochMs);
};

}  // namespace marlo::profiles
