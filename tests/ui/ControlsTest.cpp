// The notifications of each user action, in order, as handlers see them.
#include "ToolkitFixture.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ContainerUI.h"
#include "ui/EditUI.h"
#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"
#include "ui/ProgressUI.h"
#include "ui/TabLayoutUI.h"

namespace marlo::ui::test {
namespace {

using Seen = std::vector<std::string>;

class ControlsTest : public ToolkitFixture {
  protected:
    void SetUp() override {
        Build(R"(<Window><VerticalLayout name="root">
            <Button name="btn"/><Button name="off" enabled="false"/>
            <Option name="o1" group="g" selected="true"/><Option name="o2" group="g"/><Option name="solo"/>
            <CheckBox name="check"/>
            <Edit name="edit" number="true" minvalue="1" maxvalue="32"/><Edit name="other"/>
            <Slider name="slider" min="0" max="4" value="1"/>
            <Combo name="combo"><ListLabelElement name="c0" text="zero"/><ListLabelElement name="c1" text="one"/></Combo>
            <List name="list"><ListLabelElement name="l0"/><ListContainerElement name="l1"><Label name="in_l1"/></ListContainerElement></List>
            <TabLayout name="tabs" selectedid="1"><Control name="p0"/><Control name="p1"/></TabLayout>
            <VerticalLayout name="hidden" visible="false"><Button name="inside"/></VerticalLayout>
            <ColorPalette name="palette"/>
        </VerticalLayout></Window>)");
        ASSERT_TRUE(errors_.empty());
    }
};

TEST_F(ControlsTest, ButtonsAndOptions) {
    struct Case {
        const char* name;
        Seen seen;
    };
    const Case cases[] = {
        {"btn", {"setfocus:btn", "click:btn"}},
        {"o2", {"killfocus:btn", "setfocus:o2", "click:o2", "selectchanged:o2"}},
        {"o2", {"click:o2"}},  // a grouped option stays selected
        {"solo", {"killfocus:o2", "setfocus:solo", "click:solo", "selectchanged:solo"}},
        {"solo", {"click:solo", "selectchanged:solo"}},
        {"check", {"killfocus:solo", "setfocus:check", "click:check", "selectchanged:check"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(user_.Click(c.name));
        EXPECT_EQ(Take(), c.seen) << c.name;
    }
    EXPECT_FALSE(Find<COptionUI>("o1")->IsSelected());
    EXPECT_TRUE(Find<COptionUI>("o2")->IsSelected());
    EXPECT_FALSE(Find<COptionUI>("solo")->IsSelected());
    EXPECT_TRUE(Find<CCheckBoxUI>("check")->GetCheck());
    EXPECT_FALSE(user_.Click("off"));
    EXPECT_FALSE(user_.Click("inside")) << "inside a hidden container";
    EXPECT_TRUE(Take().empty());

    // Selecting from code without notification.
    Find<COptionUI>("o1")->Selected(true, false);
    EXPECT_TRUE(Take().empty());
    EXPECT_FALSE(Find<COptionUI>("o2")->IsSelected());
}

TEST_F(ControlsTest, EditTypingFocusAndBounds) {
    ASSERT_TRUE(user_.Type("edit", "4a0"));
    EXPECT_EQ(Take(), (Seen{"setfocus:edit", "textchanged:edit", "textchanged:edit"}));
    EXPECT_EQ(Find<CEditUI>("edit")->GetText(), "40") << "digits only";
    ASSERT_TRUE(user_.Focus("other"));  // leaving it brings 40 inside 1..32
    EXPECT_EQ(Take(), (Seen{"textchanged:edit", "killfocus:edit", "setfocus:other"}));
    EXPECT_EQ(Find<CEditUI>("edit")->GetText(), "32");

    ASSERT_TRUE(user_.Type("other", "héllo"));
    user_.PressKey("other", kVkBack);
    user_.PressKey("other", kVkReturn);
    auto* other = Find<CEditUI>("other");
    EXPECT_EQ(other->GetText(), "héll");
    EXPECT_EQ(Take().back(), "return:other");
    other->SetText("set from code");
    EXPECT_EQ(other->GetCaret(), other->GetText().size()) << "the caret goes to the end";
    EXPECT_TRUE(Take().empty()) << "text set from code is not a user change";
}

TEST_F(ControlsTest, SliderMovesThenReleases) {
    ASSERT_TRUE(user_.MoveSlider("slider", 3));
    EXPECT_EQ(Take(), (Seen{"setfocus:slider", "movevaluechanged:slider", "movevaluechanged:slider",
                            "valuechanged:slider"}));
    EXPECT_EQ(Find<CSliderUI>("slider")->GetValue(), 3);
    user_.MoveSlider("slider", 9);
    EXPECT_EQ(Find<CSliderUI>("slider")->GetValue(), 4) << "bounded by the maximum";
    EXPECT_EQ(Take().back(), "valuechanged:slider");
}

TEST_F(ControlsTest, APaletteSaysThePersonsPickButNotAColourSetByTheProgram) {
    auto* palette = Find<CColorPaletteUI>("palette");
    palette->SetSelectColor(0xFF00FF00);
    EXPECT_TRUE(Take().empty());
    ASSERT_TRUE(user_.PressKey("palette", kVkRight));
    EXPECT_EQ(Take().back(), "colorchanged:palette");
    EXPECT_NE(palette->GetSelectColor(), 0xFF00FF00u) << "the hue moved on";
    ASSERT_TRUE(user_.PressKey("palette", kVkDown));
    EXPECT_EQ(palette->GetSelectColor() & 0xFF000000u, 0xFF000000u);

    const struct {
        double x, y;
        uint32_t colour;
    } field[] = {{0, 0.5, 0xFFFF0000}, {1.0 / 3, 0.5, 0xFF00FF00}, {2.0 / 3, 0.5, 0xFF0000FF},
                 {0.5, 0, 0xFFFFFFFF}, {0.5, 1, 0xFF000000},       {0, 0.75, 0xFF800000}};
    for (const auto& f : field) {
        EXPECT_EQ(CColorPaletteUI::ColourAt(f.x, f.y), f.colour) << f.x << "," << f.y;
    }
    for (double x = 0; x < 0.95; x += 0.1) {
        for (double y = 0.1; y < 0.95; y += 0.2) {
            double px = 0;
            double py = 0;
            CColorPaletteUI::PlaceOf(CColorPaletteUI::ColourAt(x, y), &px, &py);
            EXPECT_NEAR(px, x, 0.02) << x << "," << y;
            EXPECT_NEAR(py, y, 0.02) << x << "," << y;
        }
    }
}

TEST_F(ControlsTest, ComboAndListSelection) {
    auto* combo = Find<CComboUI>("combo");
    EXPECT_EQ(combo->GetCurSel(), -1);
    ASSERT_TRUE(user_.PickComboItem("combo", 1));
    EXPECT_EQ(Take(),
              (Seen{"setfocus:combo", "dropdown:combo", "itemclick:c1", "itemselect:combo"}));
    EXPECT_EQ(combo->GetText(), "one");
    EXPECT_FALSE(combo->IsDropped());
    combo->SelectItem(0, false, false);
    EXPECT_TRUE(Take().empty()) << "selected without notification";
    combo->SelectItem(1);
    EXPECT_EQ(Take(), (Seen{"itemselect:combo"}));

    ASSERT_TRUE(user_.DoubleClick("l1"));
    EXPECT_EQ(Take(), (Seen{"itemselect:list", "itemactivate:l1"}));
    EXPECT_EQ(Find<CListUI>("list")->GetCurSel(), 1);
    user_.PressKey("list", kVkUp);
    EXPECT_EQ(Find<CListUI>("list")->GetCurSel(), 0);
    EXPECT_EQ(Take().back(), "itemselect:list");
}

TEST_F(ControlsTest, TabsContainersAndRemoval) {
    auto* tabs = Find<CTabLayoutUI>("tabs");
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_FALSE(manager_.FindControl("p0")->IsVisible());
    tabs->SelectItem(0);
    EXPECT_TRUE(manager_.FindControl("p0")->IsVisible());
    EXPECT_FALSE(manager_.FindControl("p1")->IsVisible());
    EXPECT_EQ(Take(), (Seen{"tabselect:tabs"}));

    auto* root = Find<CVerticalLayoutUI>("root");
    user_.Focus("btn");
    Take();
    ASSERT_TRUE(root->Remove(manager_.FindControl("btn")));
    EXPECT_EQ(manager_.FindControl("btn"), nullptr) << "the name leaves with the control";
    EXPECT_EQ(manager_.GetFocus(), nullptr);
    auto added = std::make_unique<CButtonUI>();
    added->SetName("late");
    ASSERT_TRUE(root->Add(std::move(added)));
    EXPECT_TRUE(user_.Click("late"));
}

TEST_F(ControlsTest, TimersKilledInTheirHandlerFireOnce) {
    struct OneShot : INotifyUI {
        CPaintManagerUI* manager = nullptr;
        int fired = 0;
        void Notify(TNotifyUI& msg) override {
            if (msg.sType == notify::kTimer && msg.wParam == 1002) {
                manager->KillTimer(msg.pSender, 1002);
                ++fired;
            }
        }
    } oneShot;
    oneShot.manager = &manager_;
    manager_.AddNotifier(&oneShot);
    int periodic = 0;
    struct Counter : INotifyUI {
        int* count;
        void Notify(TNotifyUI& msg) override {
            *count += msg.sType == notify::kTimer && msg.wParam == 7;
        }
    } counter;
    counter.count = &periodic;
    manager_.AddNotifier(&counter);
    CControlUI* button = manager_.FindControl("btn");
    ASSERT_TRUE(manager_.SetTimer(button, 1002, 10));
    ASSERT_TRUE(manager_.SetTimer(button, 7, 10));
    backend_.RunFor(120);
    EXPECT_EQ(oneShot.fired, 1);
    EXPECT_GE(periodic, 3);
    manager_.KillTimers(button);
    const int before = periodic;
    backend_.RunFor(40);
    EXPECT_EQ(periodic, before);
    manager_.RemoveNotifier(&oneShot);
    manager_.RemoveNotifier(&counter);
}

}  // namespace
}  // namespace marlo::ui::test
