#pragma once

#include <json/value.h>

#include <filesystem>
#include <optional>
#include <string>

namespace marlo::chip {

// The chip's properties of one sound card, kept as decimal texts in a JSON file of the user's
// ({ "Properties": { "NAME/CHANNEL": "TEXT" } }), written whole on every change.
class ChipPropertyStore {
  public:
    // No file: every read fails and every write fails.
    explicit ChipPropertyStore(std::filesystem::path file);

    std::optional<std::string> Get(const std::string& name, int channel) const;
    bool Set(const std::string& name, int channel, const std::string& text);

  private:
    static std::string Key(const std::string& name, int channel);

    std::filesystem::path file_;
    Json::Value properties_;
};

}  // namespace marlo::chip
