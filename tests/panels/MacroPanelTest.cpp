// The macro panel: step delays by mode, where recorded steps go, the step limit, and a saved
// macro read back the same.
#include <gtest/gtest.h>

#include <memory>

#include "panels/MacroControlUI.h"
#include "panels/MacroRecorder.h"
#include "support/TempDir.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/EditUI.h"
#include "ui/HeadlessBackend.h"

namespace marlo::panels {
namespace {

using Mode = CMacroRecorder::DelayMode;
using Placement = CMacroControlUI::Placement;

TEST(MacroRecorderTest, DelaysByModeAreCappedAt65535) {
    struct Case {
        const char* what;
        Mode mode;
        int64_t fixed;
        uint64_t secondAt;  // the second step, ms after the first (which comes at 1000)
        int expected;
    };
    const Case cases[] = {
        {"recorded, 250 ms apart", Mode::kRecorded, 0, 250, 250},
        {"recorded, a pause of 70 s", Mode::kRecorded, 0, 70000, 65535},
        {"fixed 100000", Mode::kFixed, 100000, 10, 65535},
        {"fixed -5", Mode::kFixed, -5, 10, 0},
        {"none", Mode::kNone, 0, 5000, 0},
    };
    for (const Case& c : cases) {
        CMacroRecorder recorder;
        recorder.SetFixedDelay(c.fixed);
        recorder.Start(c.mode, 0);
        recorder.NextDelay(1000);
        EXPECT_EQ(recorder.NextDelay(1000 + c.secondAt), c.expected) << c.what;
    }
}

class MacroPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        constexpr const char* kPanel = R"(<Window><MacroControl name="MacroControlItem">
            <List name="macro_name_list"/>
            <VerticalLayout name="macro_action_layout"><List name="macro_action_list"/></VerticalLayout>
            <Edit name="macro_fixed_time_edit" numberonly="true"/>
            <Edit name="macro_edit_macroname"/>
        </MacroControl></Window>)";
        ui::CControlFactory::GetInstance().RegistControl(
            "CMacroControlUI", [] { return std::make_unique<CMacroControlUI>(); });
        ui::CDialogBuilder builder;
        auto root = builder.CreateFromText(kPanel, "panel", nullptr);
        ASSERT_TRUE(builder.errors().empty()) << builder.errors().front();
        panel_.reset(dynamic_cast<CMacroControlUI*>(root.release()));
        ASSERT_NE(panel_, nullptr);
        panel_->SetDataFolder(dir_.path());
        panel_->LoadMacroList();
        ASSERT_EQ(panel_->NewMacro(), profiles::ListResult::kDone);
    }

    static profiles::MacroEvent Key(int key, bool down) {
        return {down ? "down" : "up", 10, key, "0"};
    }
    std::string Keys() const {
        std::string out;
        for (const auto& step : panel_->Steps()) {
            out += static_cast<char>(step.button);
            out += step.action == "down" ? "+" : "-";
        }
        return out;
    }

    ui::HeadlessBackend backend_;
    test::TempDir dir_;
    std::unique_ptr<CMacroControlUI> panel_;
};

TEST_F(MacroPanelTest, RecordedStepsGoBeforeAfterOrInsteadOfTheSelectedStepInTheirOrder) {
    panel_->StartRecording(Mode::kNone, 0);
    for (const char key : {'A', 'B', 'C'}) {
        ASSERT_TRUE(panel_->AddStep(Key(key, true), Placement::kAppend, 0));
    }
    EXPECT_EQ(Keys(), "A+B+C+");
    panel_->SelectStep(1);
    panel_->StartRecording(Mode::kNone, 0);
    panel_->AddStep(Key('X', true), Placement::kBefore, 0);
    panel_->AddStep(Key('X', false), Placement::kBefore, 0);
    EXPECT_EQ(Keys(), "A+X+X-B+C+") << "before B, in the order they happened";
    panel_->SelectStep(4);
    panel_->AddStep(Key('Y', true), Placement::kAfter, 0);
    panel_->AddStep(Key('Y', false), Placement::kAfter, 0);
    EXPECT_EQ(Keys(), "A+X+X-B+C+Y+Y-");
    panel_->SelectStep(0);
    panel_->AddStep(Key('Z', true), Placement::kReplace, 0);
    EXPECT_EQ(Keys(), "Z+X+X-B+C+Y+Y-") << "the step is another key; still a press";
    EXPECT_EQ(panel_->stepCount(), 7u);
}

TEST_F(MacroPanelTest, AStepPastTheLimitIsIgnoredAndASavedMacroReadsBackTheSame) {
    panel_->StartRecording(Mode::kFixed, 0);
    auto* fixed = dynamic_cast<ui::CEditUI*>(panel_->FindSubControl("macro_fixed_time_edit"));
    fixed->SetText("100000");
    EXPECT_EQ(panel_->SetFixedDelay(), 65535);
    EXPECT_EQ(fixed->GetText(), "65535") << "shown as it is used";
    for (size_t i = 0; i < CMacroRecorder::kMaxSteps; ++i) {
        ASSERT_TRUE(panel_->AddStep(Key('A' + static_cast<int>(i % 26), i % 2 == 0),
                                    Placement::kAppend, i));
    }
    EXPECT_FALSE(panel_->AddStep(Key('Q', true), Placement::kAppend, 0)) << "the 4001st";
    // A mouse button released but never pressed while recording is the start click.
    EXPECT_FALSE(panel_->AddStep({"up", 1, 1, "0"}, Placement::kAppend, 0));
    panel_->StopRecording();

    const std::vector<profiles::MacroEvent> before = panel_->Steps();
    ASSERT_EQ(panel_->SaveMacro(), profiles::ListResult::kDone);
    panel_->SelectMacro(-1);
    EXPECT_EQ(panel_->stepCount(), 0u);
    panel_->SelectMacro(0);
    EXPECT_EQ(panel_->Steps(), before);
    EXPECT_EQ(before.front().delay, "65535");
}

TEST_F(MacroPanelTest, TheClickOnStopIsNoStepAndADelayOutOfRangeIsCorrected) {
    panel_->StartRecording(Mode::kNone, 0);
    panel_->AddStep(Key('A', true), Placement::kAppend, 0);
    panel_->AddStep({"down", 1, 1, "0"}, Placement::kAppend, 0);  // the press on Stop
    panel_->StopRecording();
    EXPECT_EQ(Keys(), "A+");
    ui::CEditUI edit;
    for (const auto& [typed, kept] : {std::pair{"70000", "65535"}, std::pair{"", "0"},
                                      std::pair{"0042", "42"}, std::pair{"99999999999", "65535"}}) {
        edit.SetText(typed);
        CMacroControlUI::ClampDelay(edit);
        EXPECT_EQ(edit.GetText(), kept) << typed;
    }
}

}  // namespace
}  // namespace marlo::panels
