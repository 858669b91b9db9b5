// The lighting panel on the real layout: what each keyboard mode leaves to edit, the settings
// as the device packs them, the colour shown everywhere, and the audio lighting's errors.
#include <gtest/gtest.h>

#include <memory>

#include "panels/LightControlUI.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/HeadlessBackend.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/TabLayoutUI.h"

namespace marlo::panels {
namespace {

class LightPanelTest : public ::testing::Test {
  protected:
    LightPanelTest() {
        ui::CPaintManagerUI::SetResourcePath(std::string(MARLO_DATA_DIR) + "/skin/");
        ui::CControlFactory::GetInstance().RegistControl(
            "CLightControlUI", [] { return std::make_unique<CLightControlUI>(); });
        ui::CDialogBuilder builder;
        auto root = builder.Create("xml/CustomControlXML/LightControl.xml", nullptr, nullptr);
        EXPECT_TRUE(builder.errors().empty());
        panel_.reset(dynamic_cast<CLightControlUI*>(root.release()));
    }
    void SetUp() override {
        ASSERT_NE(panel_, nullptr);
        std::vector<CLightControlUI::ModeItem> modes;
        for (int i = 0; i < 46; ++i) {
            modes.push_back({"light_mode_" + std::to_string(i), i != 0 && (i < 31 || i > 39)});
        }
        panel_->SetFamily(1);
        panel_->SetModeList(modes, 4, 4);
    }
    ui::CControlUI* Find(const char* name) { return panel_->FindSubControl(name); }
    bool Enabled(const char* name) { return Find(name)->IsEnabled(); }
    bool Shown(const char* name) { return Find(name)->GetOwnVisibility(); }

    ui::HeadlessBackend backend_;
    std::unique_ptr<CLightControlUI> panel_;
};

TEST(LightEnableRulesTest, EachKeyboardModeLeavesItsAreasToEdit) {
    struct Row {
        int mode;
        bool multicolour, colour, palette, brightness, speed, speedShown, direction,
            directionShown, colourLayout;
    };
    // mode, multicolour, colour, palette, brightness, speed, (speed shown), direction,
    // (direction shown), colour area
    const Row rows[] = {
        {1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  {2, 1, 1, 1, 1, 1, 1, 1, 1, 1},
        {3, 0, 0, 0, 1, 1, 1, 1, 1, 0},  {5, 0, 1, 1, 1, 0, 0, 0, 0, 1},
        {7, 0, 1, 1, 1, 0, 0, 0, 0, 1},  {6, 1, 1, 1, 1, 1, 1, 0, 0, 1},
        {23, 1, 1, 1, 1, 1, 1, 0, 0, 1}, {8, 1, 1, 1, 1, 1, 1, 0, 0, 1},
        {22, 1, 1, 1, 1, 1, 1, 0, 0, 1}, {11, 0, 0, 0, 1, 1, 1, 0, 0, 0},
        {42, 0, 0, 0, 1, 1, 1, 0, 0, 0}, {13, 1, 1, 1, 1, 1, 1, 0, 0, 1},
        {19, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {21, 0, 1, 1, 0, 0, 0, 0, 0, 1},
        {24, 1, 1, 1, 1, 1, 1, 1, 0, 1}, {26, 0, 0, 0, 1, 1, 1, 0, 0, 1},
        {28, 0, 0, 0, 0, 0, 1, 0, 0, 1}, {29, 1, 1, 1, 1, 0, 0, 1, 0, 1},
        {30, 0, 0, 0, 1, 0, 1, 0, 0, 0}, {40, 0, 0, 0, 1, 1, 1, 0, 0, 0},
        {41, 1, 1, 1, 1, 1, 1, 1, 0, 1}, {45, 0, 0, 0, 1, 1, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 1, 0, 0, 1},  {33, 0, 0, 0, 0, 0, 1, 0, 0, 1},
    };
    for (const Row& r : rows) {
        const LightAreas a = LightAreasFor(1, r.mode, true);
        EXPECT_EQ(a.multicolour, r.multicolour) << r.mode;
        EXPECT_EQ(a.colour, r.colour) << r.mode;
        EXPECT_EQ(a.palette, r.palette) << r.mode;
        EXPECT_EQ(a.brightness, r.brightness) << r.mode;
        EXPECT_EQ(a.speed, r.speed) << r.mode;
        EXPECT_EQ(a.speedShown, r.speedShown) << r.mode;
        EXPECT_EQ(a.directionEnabled, r.direction) << r.mode;
        EXPECT_EQ(a.directionShown, r.directionShown) << r.mode;
        EXPECT_EQ(a.colourLayout, r.colourLayout) << r.mode;
        EXPECT_FALSE(a.sameMode) << "the keyboard never offers it here: " << r.mode;
        EXPECT_EQ(a.custom, r.mode == 21) << r.mode;
        EXPECT_EQ(a.zzcc, r.mode == 45) << r.mode;
        EXPECT_EQ(a.audio, r.mode == 29) << r.mode;
        EXPECT_EQ(a.colourPage, r.mode == 29 ? 1 : 0) << r.mode;
    }
    EXPECT_STREQ(LightAreasFor(1, 3, false).directionLeft, "light_set_outside_to_inside_text");
    EXPECT_STREQ(LightAreasFor(1, 24, false).directionRight, "light_set_up_to_down_text");
    EXPECT_STREQ(LightAreasFor(1, 1, false).directionLeft, "light_set_right_to_left_text");
}

TEST(LightEnableRulesTest, OtherFamiliesOfferSynchronisedLightingWhereTheirRulesSay) {
    EXPECT_TRUE(LightAreasFor(2, 9, false).sameMode) << "the synchronised row shows it always";
    EXPECT_FALSE(LightAreasFor(2, 9, false).colour);
    EXPECT_TRUE(LightAreasFor(3, 8, false).sameMode);
    EXPECT_TRUE(LightAreasFor(2, 0, true).sameMode) << "allowed: shown after a rule";
    EXPECT_FALSE(LightAreasFor(2, 0, false).sameMode);
    EXPECT_FALSE(LightAreasFor(2, 12, true).sameMode) << "a mode without a rule shows nothing";
    const LightAreas oneColour = LightAreasFor(7, 3, false);
    EXPECT_TRUE(oneColour.colour && oneColour.palette && oneColour.brightness);
    EXPECT_FALSE(oneColour.multicolour || oneColour.speed || oneColour.directionEnabled);
    const LightAreas noSpeed = LightAreasFor(5, 1, false);
    EXPECT_TRUE(noSpeed.colour && !noSpeed.multicolour && !noSpeed.speed);
}

TEST_F(LightPanelTest, TheSettingsShowEverywhereAndComeBackAsTheyWere) {
    profiles::LightInfo light;
    light.selectItem = 21;
    light.light = 3;
    light.speed = 2;
    light.fx = 1;
    light.red = 255;
    light.zzccLedMode = 2;
    light.customGroup = 4;
    light.oldLedMode = 7;
    const CLightControlUI::Packed packed = CLightControlUI::Pack(light);
    EXPECT_EQ(packed.word1, 21u | 3u << 8 | 2u << 16 | 1u << 24);
    EXPECT_EQ(packed.word2, 255u << 8);
    EXPECT_EQ(packed.word3, 2u << 24);
    EXPECT_EQ(packed.word4, 4 | 7 << 8);
    EXPECT_EQ(CLightControlUI::Unpack(packed), light);

    panel_->SetLighting(packed);
    EXPECT_EQ(panel_->GetModeIndex(), 21);
    EXPECT_EQ(dynamic_cast<ui::CColorPaletteUI*>(Find("deng_Color_Pallet"))->GetSelectColor(),
              0xFFFF0000u);
    EXPECT_EQ(Find("deng_colordp_btn")->GetColorAttribute("bkcolor"), 0xFFFF0000u);
    EXPECT_EQ(Find("deng_edit_R")->GetText(), "255");
    EXPECT_EQ(Find("deng_edit_G")->GetText(), "0");
    EXPECT_TRUE(Shown("lightcustom_layout")) << "mode 21 paints keys";
    EXPECT_FALSE(Enabled("deng_light_layout"));
    EXPECT_FALSE(Shown("deng_speed_layout"));
    EXPECT_EQ(panel_->Edited(profiles::LightInfo{}).customGroup, 4);
    profiles::LightInfo base = light;
    EXPECT_EQ(panel_->Edited(base), base) << "nothing edited, nothing changed";

    panel_->SelectMode(29);
    EXPECT_EQ(dynamic_cast<ui::CTabLayoutUI*>(Find("light_color_tablayout"))->GetCurSel(), 1);
    EXPECT_TRUE(Shown("light_combo_AudiomodeSelectLayout"));
    EXPECT_FALSE(Shown("lightcustom_layout"));
}

TEST_F(LightPanelTest, HiddenModesKeepTheirPlaceInTheList) {
    auto* modes = dynamic_cast<ui::CComboUI*>(Find("light_combo_modeSelect"));
    ASSERT_EQ(modes->GetCount(), 46);
    EXPECT_FALSE(modes->GetItemAt(0)->GetOwnVisibility());
    EXPECT_FALSE(modes->GetItemAt(35)->GetOwnVisibility());
    EXPECT_EQ(modes->GetItemAt(40)->GetUserData(), "light_mode_40");
    panel_->SelectMode(40);
    EXPECT_EQ(panel_->GetModeIndex(), 40);
}

TEST_F(LightPanelTest, AChannelTypedOutsideItsRangeIsCorrected) {
    const struct {
        const char* typed;
        int kept;
    } cases[] = {{"300", 255}, {"-5", 0}, {"abc", 0}, {"", 0}, {"99999999999999", 255}, {"7", 7}};
    for (const auto& c : cases) {
        Find("deng_edit_G")->SetText(c.typed);
        EXPECT_EQ(panel_->CorrectEdit("deng_edit_G"), c.kept) << c.typed;
        EXPECT_EQ(Find("deng_edit_G")->GetText(), std::to_string(c.kept)) << c.typed;
    }
}

TEST_F(LightPanelTest, TheAudioLightingShowsItsColourAndSaysWhichControlIsMissing) {
    profiles::AudioLightInfo audio;
    audio.audioMode = 1;
    audio.bkColorR = 10;
    audio.fgColorG = 200;
    audio.sevenColorFlags = 1;
    audio.colorTypeFlags = 1;
    panel_->SetAudioLight(audio);
    EXPECT_EQ(Find("deng_audioedit_G")->GetText(), "200") << "the bars' colour";
    EXPECT_TRUE(dynamic_cast<ui::COptionUI*>(Find("deng_7audiocolor_check"))->IsSelected());
    EXPECT_EQ(panel_->GetAudioColor(), 200u << 8);
    EXPECT_EQ(panel_->GetAudioLight(), audio) << "the background colour kept";
    EXPECT_TRUE(Enabled("light_audiocolor_layout"));

    audio.audioMode = 3;
    panel_->SetAudioLight(audio);
    EXPECT_FALSE(Enabled("light_audiocolor_layout")) << "style 3 has its own colours";
    EXPECT_FALSE(Enabled("audiocolorpallet_layout"));

    const auto message = [&](auto&& call) {
        try {
            call();
        } catch (const LightPanelError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    auto* edit = Find("deng_audioedit_B");
    edit->SetName("renamed");
    EXPECT_EQ(message([&] { panel_->SetAudioLight(audio); }), "GetAudioLightInfo control is NULL");
    EXPECT_EQ(message([&] { panel_->GetAudioColor(); }), "GetLightAudioColor control is NULL");
    Find("light_combo_audiomodeSelect")->SetName("gone");
    EXPECT_EQ(message([&] { panel_->SetAudioLight(audio); }), " SetAudioLightInfo control is NULL");
}

}  // namespace
}  // namespace marlo::panels
