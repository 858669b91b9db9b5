#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace marlo::profiles {

// The colours a person chose last in the colour dialog, newest first, at most kMax, kept in
// "RecentColours.json" of the product folder as { "Recent": ["#RRGGBB", ...] }.
class RecentColours {
  public:
    static constexpr size_t kMax = 8;
    static constexpr size_t kMaxFileBytes = 64 * 1024;

    // The colours of a document; anything that is not "#RRGGBB" is passed over.
    static RecentColours FromDocument(const Json::Value& document);
    // A document of this kind: an object whose "Recent" is an array.
    static bool IsRecentShape(const Json::Value& document);
    Json::Value ToDocument() const;
    // "#RRGGBB" (either case) as 0xRRGGBB; nothing for anything else.
    static std::optional<uint32_t> ParseHex(std::string_view text);
    static std::string Hex(uint32_t rgb);

    // `rgb` first; a colour already there moves up, the oldest beyond kMax goes.
    void Add(uint32_t rgb);
    const std::vector<uint32_t>& colours() const { return colours_; }

  private:
    std::vector<uint32_t> colours_;
};

}  // namespace marlo::profiles
