#pragma once

#include <filesystem>
#include <string>

namespace marlo::online {

// Where the update service is and how it is trusted, from the settings store's product key
// ("UpdateServer": the base address, "UpdateServerKey": a pinned "sha256//<base64>" public
// key). MARLO_UPDATE_URL overrides the address. Both are empty by default: no service is
// asked until one is configured.
class UpdateService {
  public:
    static constexpr const char* kSettingsKey = "SOFTWARE\\Marlo Gear";
    static constexpr const char* kAddressValue = "UpdateServer";
    static constexpr const char* kPinnedKeyValue = "UpdateServerKey";

    static std::string BaseAddress();
    static std::string PinnedKey();
};

// "updatetime.config" in the product folder: the date of the last update check, as
// {"updatelasttime": {"value": "2026-12-10"}} with no leading zeros ("%d-%d-%d").
class UpdateTimeFile {
  public:
    explicit UpdateTimeFile(std::filesystem::path file);
    // The file in the user's product folder.
    static UpdateTimeFile UserFile();

    // The kept date; a missing or unreadable file is written anew with today's date.
    std::string ReadOrCreate() const;
    // Records today; false when the file could not be written.
    bool WriteToday() const;
    static std::string Today();

  private:
    std::filesystem::path file_;
};

}  // namespace marlo::online
