// The colours chosen lately: read from a document of any shape, kept newest first.
#include <gtest/gtest.h>

#include "platform/JsonDocument.h"
#include "profiles/RecentColours.h"

namespace marlo::profiles {
namespace {

TEST(RecentColoursTest, OnlyWellFormedColoursAreReadAndTheNewestComesFirst) {
    const struct {
        const char* text;
        std::optional<uint32_t> rgb;
    } hex[] = {{"#FF8000", 0xFF8000}, {"#ff8000", 0xFF8000}, {"FF8000", std::nullopt},
               {"#FF800", std::nullopt}, {"#GG8000", std::nullopt}, {"#FF80001", std::nullopt},
               {"", std::nullopt}};
    for (const auto& h : hex) {
        EXPECT_EQ(RecentColours::ParseHex(h.text), h.rgb) << h.text;
    }

    const Json::Value document = platform::JsonDocument::Parse(
        R"({"Recent": ["#112233", 7, "#zzzzzz", "#112233", {"a": 1}, "#445566"]})");
    RecentColours recent = RecentColours::FromDocument(document);
    EXPECT_EQ(recent.colours(), (std::vector<uint32_t>{0x112233, 0x445566}))
        << "what is not a colour, and a repeat, passed over";
    for (const char* text : {"[]", "{\"Recent\": 5}", "null", "{\"Recent\": {}}"}) {
        EXPECT_TRUE(
            RecentColours::FromDocument(platform::JsonDocument::Parse(text)).colours().empty())
            << text;
    }

    recent.Add(0x445566);
    EXPECT_EQ(recent.colours().front(), 0x445566u) << "a colour chosen again moves up";
    EXPECT_EQ(recent.colours().size(), 2u);
    for (uint32_t c = 1; c <= 10; ++c) {
        recent.Add(c);
    }
    EXPECT_EQ(recent.colours().size(), RecentColours::kMax);
    EXPECT_EQ(recent.colours().front(), 10u);
    const RecentColours again = RecentColours::FromDocument(recent.ToDocument());
    EXPECT_EQ(again.colours(), recent.colours()) << "kept as it was";
}

}  // namespace
}  // namespace marlo::profiles
