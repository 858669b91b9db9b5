// The headset's sound panels: presets and effects outside their range select nothing, and the
// custom preset list and the switches show what they are given.
#include <gtest/gtest.h>

#include <memory>

#include "panels/MagicControlUI.h"
#include "panels/Voice6533ControlUI.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/HeadlessBackend.h"
#include "ui/OptionUI.h"

namespace marlo::panels {
namespace {

template <typename T>
std::unique_ptr<T> Build(const char* className, const std::string& xml) {
    ui::CControlFactory::GetInstance().RegistControl(className,
                                                     [] { return std::make_unique<T>(); });
    ui::CDialogBuilder builder;
    auto root = builder.CreateFromText(xml, "panel", nullptr);
    EXPECT_TRUE(builder.errors().empty());
    return std::unique_ptr<T>(dynamic_cast<T*>(root.release()));
}

TEST(HeadsetPanelsTest, PresetsAndEffectsOutsideTheirRangeSelectNothing) {
    ui::HeadlessBackend backend;
    std::string xml = "<Window><Voice6533Control>";
    for (int n = 1; n <= 13; ++n) {
        xml += "<Option name=\"6533_eq_option_" + std::to_string(n) + "\" group=\"eq\"/>";
    }
    xml += "<Slider name=\"6533_eq_hz_slider_0\" min=\"-12\" max=\"12\"/>"
           "<HorizontalLayout name=\"custom_eq_option_layout\"/>"
           "<Combo name=\"custom_eq_name_combo\"/><CheckBox name=\"6533_MicIn_option\"/>"
           "</Voice6533Control></Window>";
    auto voice = Build<CVoice6533ControlUI>("CVoice6533ControlUI", xml);
    ASSERT_NE(voice, nullptr);
    const auto selected = [&](int n) {
        return dynamic_cast<ui::COptionUI*>(
                   voice->FindSubControl("6533_eq_option_" + std::to_string(n)))
            ->IsSelected();
    };
    voice->SelectPreset(4);
    EXPECT_TRUE(selected(4));
    voice->SelectPreset(14);
    EXPECT_EQ(voice->preset(), 0) << "preset 14 keeps 0";
    for (int n = 1; n <= 13; ++n) {
        EXPECT_FALSE(selected(n)) << n;
    }
    voice->SelectPreset(13);
    EXPECT_TRUE(voice->FindSubControl("custom_eq_option_layout")->IsEnabled())
        << "the custom preset opens the custom area";
    voice->SetBand(0, 5);
    EXPECT_EQ(voice->GetBand(0), 5);
    EXPECT_EQ(voice->GetBand(7), -1) << "no such slider";
    voice->AddCustomName("Mine");
    voice->AddCustomName("Games");
    voice->SelectCustom(1);
    EXPECT_EQ(voice->CustomCount(), 2);
    EXPECT_EQ(voice->CustomNameAt(voice->selectedCustom()), "Games");
    voice->SetMicSwitch(true);
    EXPECT_TRUE(voice->GetMicSwitch());

    std::string magicXml = "<Window><MagicControl><CheckBox name=\"magic_enable_option\"/>"
                           "<HorizontalLayout name=\"magic_option_layout\">";
    for (int n = 1; n <= 4; ++n) {
        magicXml += "<Option name=\"magic_option_" + std::to_string(n) + "\" group=\"fx\"/>";
    }
    magicXml += "</HorizontalLayout></MagicControl></Window>";
    auto magic = Build<CMagicControlUI>("CMagicControlUI", magicXml);
    ASSERT_NE(magic, nullptr);
    magic->SelectEffect(2);
    EXPECT_EQ(magic->effect(), 2);
    magic->SelectEffect(5);
    EXPECT_EQ(magic->effect(), 0);
    EXPECT_FALSE(dynamic_cast<ui::COptionUI*>(magic->FindSubControl("magic_option_2"))->IsSelected());
    magic->SetSwitch(true);
    EXPECT_TRUE(magic->GetSwitch());
    EXPECT_TRUE(magic->FindSubControl("magic_option_layout")->IsEnabled());
}

}  // namespace
}  // namespace marlo::panels
