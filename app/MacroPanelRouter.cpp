#include "MacroPanelRouter.h"

#include <array>

#include "ControlRouter.h"
#include "MainWnd.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "panels/KeySetControlUI.h"
#include "panels/MacroStepText.h"
#include "platform/DebugOutput.h"
#include "platform/Event.h"
#include "ui/DisplayBackend.h"
#include "ui/EditUI.h"
#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/MenuWnd.h"
#include "ui/PaintManagerUI.h"

namespace marlo::app {
namespace {

using panels::CMacroControlUI;
using profiles::ListResult;
using profiles::MacroEvent;
using DelayMode = CMacroControlUI::DelayMode;

constexpr const char* kMacroFilter = "Macro Files(*.mac)";

struct StepButton {
    const char* name;
    CMacroControlUI::Move move;
};
constexpr std::array<StepButton, 4> kMoves = {{{"macro_btn_up", CMacroControlUI::Move::kUp},
                                               {"macro_btn_down", CMacroControlUI::Move::kDown},
                                               {"macro_btn_uptop", CMacroControlUI::Move::kTop},
                                               {"macro_btn_downbottom",
                                                CMacroControlUI::Move::kBottom}}};

constexpr std::array<const char*, 4> kMoveButtons = {
    "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn", "macro_inset_moveupkey_btn",
    "macro_inset_movedownkey_btn"};

// The mouse buttons of the step menu and their virtual-key codes.
struct MenuButton {
    const char* name;
    int button;
};
constexpr std::array<MenuButton, 5> kMenuButtons = {
    {{"left", 1}, {"middle", 4}, {"right", 2}, {"forward", 6}, {"back", 5}}};

DelayMode DelayOfMenu(std::string_view rest) {
    if (rest == "constant_time") {
        return DelayMode::kFixed;
    }
    return rest == "ignore_time" ? DelayMode::kNone : DelayMode::kRecorded;
}

}  // namespace

CMacroPanelRouter::CMacroPanelRouter(CMainWnd& window) : window_(window) {}

CMacroPanelRouter::~CMacroPanelRouter() = default;

CMacroControlUI* CMacroPanelRouter::Panel(pages::CZentrixUSBDevice& device) {
    return dynamic_cast<CMacroControlUI*>(device.FindSubControl("MacroControlItem"));
}

void CMacroPanelRouter::Refused(ListResult result) {
    if (result != ListResult::kDone && result != ListResult::kNoSelection) {
        window_.Ask(result == ListResult::kLimitReached ? "message_text_33"
                                                        : "message_macro_refused",
                    false);
    }
}

void CMacroPanelRouter::MacrosChanged(pages::CZentrixUSBDevice& device, CMacroControlUI& panel) {
    if (auto* keys =
            dynamic_cast<panels::CKeySetControlUI*>(device.FindSubControl("KeySetControlItem"))) {
        keys->SetMacroList(panel.MacroNames());
    }
}

void CMacroPanelRouter::Save(pages::CZentrixUSBDevice& device, CMacroControlUI& panel) {
    const int row = panel.selectedMacro();
    const ListResult result = panel.SaveMacro();
    Refused(result);
    auto* keyboard = dynamic_cast<pages::CZentrixKeyboardDevice*>(&device);
    if (result == ListResult::kDone && keyboard != nullptr && keyboard->UsesMacro(row)) {
        keyboard->SaveKeys(
            [this](int macros, bool failed) { window_.ShowKeysWritten(macros, failed); });
    }
}

void CMacroPanelRouter::StartRecording(CMacroControlUI& panel, Placement placement,
                                       DelayMode mode) {
    if (panel.selectedMacro() < 0) {
        return;
    }
    StopRecording();
    uint32_t hookMode = kModeAppend;
    switch (placement) {
        case Placement::kAppend: hookMode = kModeAppend; break;
        case Placement::kBefore: hookMode = kModeBefore; break;
        case Placement::kAfter: hookMode = kModeAfter; break;
        case Placement::kReplace: hookMode = kModeReplace; break;
    }
    if (!window_.StartInputHook(hookMode)) {
        return;
    }
    panel.StartRecording(mode, platform::MonotonicMs());
    recording_ = &panel;
    placement_ = placement;
    if (ui::CControlUI* state = panel.FindSubControl("macro_record_state")) {
        state->SetResourceText(true);
        state->SetText(placement == Placement::kReplace ? "macro_state_replace"
                                                        : "macro_state_recording");
    }
}

void CMacroPanelRouter::StopRecording() {
    if (recording_ == nullptr) {
        return;
    }
    window_.StopInputHook();
    recording_->StopRecording();
    if (ui::CControlUI* state = recording_->FindSubControl("macro_record_state")) {
        state->SetText("");
    }
    recording_ = nullptr;
}

void CMacroPanelRouter::StopRecordingUnlessShown(bool always) {
    if (recording_ != nullptr && (always || !recording_->IsVisible() || !window_.IsVisible())) {
        platform::DebugOutput::Write("macro recording ends: its panel is not shown");
        StopRecording();
    }
}

bool CMacroPanelRouter::OnClick(pages::CZentrixUSBDevice& device, ui::CControlUI* sender) {
    CMacroControlUI* panel = Panel(device);
    if (panel == nullptr || sender == nullptr) {
        return false;
    }
    const std::string& name = sender->GetName();
    const auto is = [&name](std::string_view row) { return CControlRouter::Is(name, row); };
    if (is("macro_btn_starredio")) {
        StartRecording(*panel, Placement::kAppend,
                       panel->IsFixedDelayChecked() ? DelayMode::kFixed : DelayMode::kRecorded);
    } else if (is("macro_btn_stopredio")) {
        StopRecording();
    } else if (is("macro_btn_name_add")) {
        StopRecording();
        Refused(panel->NewMacro());
        MacrosChanged(device, *panel);
    } else if (is("macro_btn_name_sub")) {
        StopRecording();
        const int row = panel->selectedMacro();
        if (row >= 0 && window_.Ask("message_macro_delete", true) == 1) {
            const ListResult result = panel->DeleteMacro();
            Refused(result);
            if (result == ListResult::kDone) {
                MacrosChanged(device, *panel);
                const bool keyboard =
                    dynamic_cast<pages::CZentrixKeyboardDevice*>(&device) != nullptr;
                device.ForgetMacro(row, [this, keyboard](int macros, bool failed) {
                    if (keyboard) {
                        window_.ShowKeysWritten(macros, failed);
                    }
                });
            }
        }
    } else if (is("macro_btn_name_edit")) {
        Refused(panel->RenameMacro());
        MacrosChanged(device, *panel);
    } else if (is("macro_btn_save")) {
        StopRecording();
        Save(device, *panel);
    } else if (is("macro_btn_cancel")) {
        StopRecording();
        panel->CancelEdits();
    } else if (is("macro_btn_export") || is("macro_btn_import")) {
        StopRecording();
        ui::IDisplayBackend::FileQuestion question;
        question.save = is("macro_btn_export");
        question.title = question.save ? "Export" : "Import";
        question.filter = kMacroFilter;
        const auto names = panel->MacroNames();
        if (question.save && panel->selectedMacro() >= 0) {
            question.suggestedName = names[static_cast<size_t>(panel->selectedMacro())] + ".mac";
        } else if (question.save) {
            return true;
        }
        if (auto* backend = ui::CPaintManagerUI::GetBackend()) {
            if (const auto path = backend->ChooseFile(&window_, question)) {
                Refused(question.save ? panel->ExportMacro(*path) : panel->ImportMacro(*path));
                MacrosChanged(device, *panel);
            }
        }
    } else if (is("macro_btn_delete")) {
        panel->DeleteStep();
    } else if (is("macro_btn_deleteall")) {
        panel->DeleteAllSteps();
    } else {
        for (const StepButton& button : kMoves) {
            if (is(button.name)) {
                panel->MoveStep(button.move);
                return true;
            }
        }
        for (size_t i = 0; i < kMoveButtons.size(); ++i) {
            if (is(kMoveButtons[i])) {
                if (panel->InsertMouseMove(panels::MacroStepText::kMoveLeftType +
                                           static_cast<int>(i))) {
                    Save(device, *panel);
                }
                return true;
            }
        }
        return false;
    }
    return true;
}

bool CMacroPanelRouter::OnItemSelect(pages::CZentrixUSBDevice& device, ui::CControlUI* sender) {
    CMacroControlUI* panel = Panel(device);
    if (panel == nullptr || sender == nullptr ||
        !CControlRouter::Is(sender->GetName(), "macro_name_list")) {
        return false;
    }
    StopRecording();
    if (auto* list = dynamic_cast<ui::CListUI*>(sender)) {
        panel->SelectMacro(list->GetCurSel());
    }
    return true;
}

bool CMacroPanelRouter::OnItemActivate(pages::CZentrixUSBDevice& device, ui::CControlUI* sender) {
    CMacroControlUI* panel = Panel(device);
    ui::CControlUI* steps = panel != nullptr ? panel->FindSubControl("macro_action_list") : nullptr;
    if (steps == nullptr || sender == nullptr ||
        (sender->GetParent() != steps && !CControlRouter::Is(sender->GetName(), "macro_action"))) {
        return false;
    }
    menu_ = std::make_unique<ui::CMenuWnd>();
    menu_->Init(window_.GetHWND(), "xml/Menus/macro_action_menu.xml", 0, 0,
                ui::CMenuWnd::kAlignLeft | ui::CMenuWnd::kAlignTop | ui::CMenuWnd::kAtPointer);
    return true;
}

bool CMacroPanelRouter::OnKillFocus(ui::CControlUI* sender) {
    auto* edit = dynamic_cast<ui::CEditUI*>(sender);
    if (edit == nullptr) {
        return false;
    }
    if (CControlRouter::Is(edit->GetName(), "macro_delay")) {
        CMacroControlUI::ClampDelay(*edit);
        return true;
    }
    if (CControlRouter::Is(edit->GetName(), "macro_fixed_time_edit")) {
        for (ui::CControlUI* c = edit; c != nullptr; c = c->GetParent()) {
            if (auto* panel = dynamic_cast<CMacroControlUI*>(c)) {
                panel->SetFixedDelay();
                break;
            }
        }
        return true;
    }
    return false;
}

bool CMacroPanelRouter::OnMenuCommand(pages::CZentrixUSBDevice* device, const std::string& name) {
    CMacroControlUI* panel = device != nullptr ? Panel(*device) : nullptr;
    if (panel == nullptr) {
        return false;
    }
    for (const MenuButton& button : kMenuButtons) {
        const std::string prefix = std::string(button.name) + "_";
        if (name.starts_with(prefix)) {
            const std::string action = name.substr(prefix.size());
            if (action != "down" && action != "up" && action != "click") {
                return false;
            }
            if (panel->InsertMouseButton(button.button, action)) {
                Save(*device, *panel);
            }
            return true;
        }
    }
    for (const auto& [prefix, placement] : {std::pair{"redio_previous_", Placement::kBefore},
                                            std::pair{"redio_later_", Placement::kAfter}}) {
        if (name.starts_with(prefix)) {
            StartRecording(*panel, placement, DelayOfMenu(name.substr(std::string(prefix).size())));
            return true;
        }
    }
    if (name == "macro_action_edit") {
        if (panel->selectedStep() >= 0) {
            StartRecording(*panel, Placement::kReplace, DelayMode::kNone);
        }
        return true;
    }
    return false;
}

void CMacroPanelRouter::OnHookKey(size_t messageIndex, uint32_t virtualKey, bool down) {
    StopRecordingUnlessShown();
    if (recording_ == nullptr) {
        return;
    }
    // Messages 2 and 3 append, 5 replaces, 6 inserts before and 7 after the selected step.
    Placement placement = Placement::kAppend;
    switch (messageIndex) {
        case 1:
        case 2: placement = Placement::kAppend; break;
        case 4: placement = Placement::kReplace; break;
        case 5: placement = Placement::kBefore; break;
        case 6: placement = Placement::kAfter; break;
        default: return;
    }
    const MacroEvent event{down ? "down" : "up", panels::MacroStepText::kKeyboardType,
                           static_cast<int>(virtualKey & 0xFF), "0"};
    if (placement == Placement::kReplace) {
        if (down) {
            recording_->AddStep(event, placement, platform::MonotonicMs());
            StopRecording();  // one key changes one step
        }
        return;
    }
    recording_->AddStep(event, placement, platform::MonotonicMs());
}

void CMacroPanelRouter::OnHookButton(uint32_t button, bool down) {
    StopRecordingUnlessShown();
    if (recording_ == nullptr || placement_ == Placement::kReplace) {
        return;
    }
    const MacroEvent event{down ? "down" : "up", panels::MacroStepText::kMouseButtonType,
                           static_cast<int>(button), "0"};
    recording_->AddStep(event, placement_, platform::MonotonicMs());
}

}  // namespace marlo::app
