// How a control looks in each state, from its skin attributes, and image attributes as skins
// write them.
#include "ui/SkinStyle.h"

#include <gtest/gtest.h>

#include "ui/LabelUI.h"

namespace marlo::ui {
namespace {

TEST(SkinStyleTest, AStatesOwnAttributeWinsAndTheNormalOneFillsIn) {
    CButtonUI button;
    button.SetAttribute("bkcolor", "#FF101010");
    button.SetAttribute("hotbkcolor", "#FFC0392B");
    button.SetAttribute("pushedbkcolor", "#FF802020");
    button.SetAttribute("textcolor", "#FFE8E8E8");
    button.SetAttribute("hottextcolor", "#FFFFFFFF");
    button.SetAttribute("focusbordercolor", "#FF2D7FF9");
    button.SetAttribute("bordersize", "1");
    button.SetAttribute("borderround", "6,4");
    button.SetAttribute("normalimage", "file='a.png' source='0,0,20,10'");
    button.SetAttribute("hotimage", "b.png");
    const struct {
        SkinState state;
        uint32_t background;
        uint32_t text;
        uint32_t border;
        const char* image;
    } cases[] = {
        {SkinState::kNormal, 0xFF101010, 0xFFE8E8E8, 0, "a.png"},
        {SkinState::kHot, 0xFFC0392B, 0xFFFFFFFF, 0, "b.png"},
        {SkinState::kPushed, 0xFF802020, 0xFFE8E8E8, 0, "a.png"},
        {SkinState::kFocused, 0xFF101010, 0xFFE8E8E8, 0xFF2D7FF9, "a.png"},
        {SkinState::kDisabled, 0xFF101010, 0xFFE8E8E8, 0, "a.png"},
    };
    for (const auto& c : cases) {
        const SkinLook look = SkinLook::For(button, c.state);
        EXPECT_EQ(look.background, c.background) << static_cast<int>(c.state);
        EXPECT_EQ(look.text, c.text) << static_cast<int>(c.state);
        EXPECT_EQ(look.border, c.border) << static_cast<int>(c.state);
        ASSERT_TRUE(look.image);
        EXPECT_EQ(look.image->file, c.image);
        EXPECT_EQ(look.borderSize, 1);
        EXPECT_EQ(look.roundX, 6);
        EXPECT_EQ(look.roundY, 4);
    }
    EXPECT_EQ(SkinLook::For(button, SkinState::kNormal).image->source, (UiRect{0, 0, 20, 10}));
}

TEST(SkinImageTest, ImagesParseOrAreRefused) {
    const auto full = SkinImage::Parse(
        "file='common/bar.png' source='0,0,40,20' dest='2,2,38,18' corner='4,3,2,1'");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->file, "common/bar.png");
    EXPECT_EQ(full->source, (UiRect{0, 0, 40, 20}));
    EXPECT_EQ(full->dest, (UiRect{2, 2, 36, 16}));
    EXPECT_EQ(full->cornerLeft, 4);
    EXPECT_EQ(full->cornerBottom, 1);
    EXPECT_EQ(SkinImage::Parse("common/x.png")->file, "common/x.png");
    for (const char* bad :
         {"", "   ", "file='a.png", "file='a.png' corner='1,2,3'", "file='a.png' source='10,0,5,5'",
          "colour='red'", "source='0,0,1,1'", "file=a.png"}) {
        EXPECT_FALSE(SkinImage::Parse(bad)) << bad;
    }
}

}  // namespace
}  // namespace marlo::ui
