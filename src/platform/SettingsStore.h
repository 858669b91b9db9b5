#pragma once

#include <json/value.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace marlo::platform {

class SettingsKey;

// The program's small key/value store (what the registry is to a Windows program), kept as
// JSON in the configuration folder:
//   { "<key path>": { "<value name>": <integer> | "<string>", ... }, ... }
// Keys are created by installation (and tests); the program opens existing keys only.
// Every read sees the file as it is now; every write is a locked read-modify-write followed by
// an atomic replace, so two processes never lose each other's values.
class SettingsStore {
  public:
    // A handful of keys and values; a store larger than this is not one of ours.
    static constexpr size_t kMaxBytes = 1024 * 1024;

    explicit SettingsStore(std::filesystem::path file);
    // The store in the user's configuration folder.
    static SettingsStore UserStore();

    // Nothing when the key does not exist.
    std::optional<SettingsKey> OpenKey(std::string_view keyPath) const;
    // Creates the key when missing and opens it; nothing when the store cannot be written.
    std::optional<SettingsKey> CreateKey(std::string_view keyPath) const;

    const std::filesystem::path& file() const { return file_; }

  private:
    friend class SettingsKey;
    Json::Value Load() const;
    // Applies `change` to the stored document under the store's lock; false when the change
    // refused or the file could not be written.
    bool Modify(const std::function<bool(Json::Value&)>& change) const;

    std::filesystem::path file_;
};

}  // namespace marlo::platform
