#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlo::platform {

class SettingsStore;

// An opened key of the settings store. It refers to its store, which must outlive it.
class SettingsKey {
  public:
    std::optional<uint32_t> ReadDword(std::string_view name) const;
    std::optional<std::string> ReadString(std::string_view name) const;
    bool WriteDword(std::string_view name, uint32_t value) const;
    bool WriteString(std::string_view name, std::string_view value) const;

    const std::string& path() const { return path_; }

    // A value under `key` of a store document, as the readers above take it: nothing when the
    // key or the value is missing or of another type.
    static std::optional<uint32_t> DwordIn(const Json::Value& document, std::string_view key,
                                           std::string_view name);
    static std::optional<std::string> StringIn(const Json::Value& document, std::string_view key,
                                               std::string_view name);

  private:
    friend class SettingsStore;
    SettingsKey(const SettingsStore& store, std::string path)
        : store_(&store), path_(std::move(path)) {}

    const SettingsStore* store_;
    std::string path_;
};

}  // namespace marlo::platform
