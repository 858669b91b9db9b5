#include "panels/MacroControlUI.h"

#include <algorithm>
#include <cctype>

#include "panels/MacroStepText.h"
#include "platform/JsonDocument.h"
#include "ui/ResourceManager.h"
#include "ui/DialogBuilder.h"
#include "ui/EditUI.h"
#include "ui/LabelUI.h"
#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"

namespace marlo::panels {
namespace {

using profiles::ListResult;
using profiles::MacroEvent;

constexpr int kMaxDistance = 255;  // a movement step's distance is one byte

// The number at the start of a text, saturated at `max`; 0 when it starts with no digit.
int64_t LeadingNumber(const std::string& text, int64_t max) {
    int64_t value = 0;
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            break;
        }
        value = std::min<int64_t>(value * 10 + (c - '0'), max + 1);
    }
    return std::min(value, max);
}

}  // namespace

void CMacroControlUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name.starts_with("macro_label_") && name.ends_with("_style")) {
        styles_[std::string(name)] = std::string(value);
        return;
    }
    CHorizontalLayoutUI::SetAttribute(name, value);
}

void CMacroControlUI::SetDataFolder(const std::filesystem::path& folder) {
    macros_ = std::make_unique<profiles::MacroList>(folder);
    selected_ = -1;
}

ui::CListUI* CMacroControlUI::List(const char* name) const {
    return dynamic_cast<ui::CListUI*>(const_cast<CMacroControlUI*>(this)->FindSubControl(name));
}

ui::CEditUI* CMacroControlUI::Edit(const char* name) const {
    return dynamic_cast<ui::CEditUI*>(const_cast<CMacroControlUI*>(this)->FindSubControl(name));
}

void CMacroControlUI::LoadMacroList() {
    if (macros_ == nullptr) {
        return;
    }
    std::string selectedGuid;
    if (selected_ >= 0 && selected_ < static_cast<int>(macros_->rows().size())) {
        selectedGuid = macros_->rows()[static_cast<size_t>(selected_)].guid;
    }
    macros_->LoadMacroList();
    int keep = -1;
    if (ui::CListUI* list = List("macro_name_list")) {
        list->RemoveAll();
        for (const auto& row : macros_->rows()) {
            auto item = std::make_unique<ui::CListLabelElementUI>();
            item->SetText(row.name);
            item->SetUserData(row.guid);
            item->SetAttribute("height", "28");
            item->SetAttribute("selectedbkcolor", "#FF2D7FF9");
            if (row.guid == selectedGuid) {
                keep = list->GetCount();
            }
            list->Add(std::move(item));
        }
    }
    if (keep != selected_ || keep < 0) {
        SelectMacro(keep);
    } else if (ui::CListUI* list = List("macro_name_list")) {
        list->SelectItem(keep, false, false);
    }
}

std::vector<std::string> CMacroControlUI::MacroNames() const {
    std::vector<std::string> names;
    if (macros_ != nullptr) {
        for (const auto& row : macros_->rows()) {
            names.push_back(row.name);
        }
    }
    return names;
}

void CMacroControlUI::ShowActionArea(bool shown) {
    if (ui::CControlUI* area = FindSubControl("macro_action_layout")) {
        area->SetVisible(shown);
    }
    if (ui::CControlUI* space = FindSubControl("macro_empty_space")) {
        space->SetVisible(!shown);  // keeps the list on the left while the steps are hidden
    }
    if (ui::CControlUI* move = FindSubControl("mouse_move_layout")) {
        move->SetVisible(shown && mousePage_);
    }
}

void CMacroControlUI::SelectMacro(int row) {
    if (macros_ == nullptr || row >= static_cast<int>(macros_->rows().size())) {
        row = -1;
    }
    selected_ = row;
    beforeAnchor_ = -1;
    if (ui::CListUI* names = List("macro_name_list"); names != nullptr && names->GetCurSel() != row) {
        names->SelectItem(row, false, false);
    }
    ShowActionArea(row >= 0);
    if (ui::CEditUI* name = Edit("macro_edit_macroname")) {
        name->SetText(row >= 0 ? macros_->rows()[static_cast<size_t>(row)].name : "");
    }
    ui::CListUI* steps = List("macro_action_list");
    if (steps == nullptr) {
        return;
    }
    steps->RemoveAll();
    if (row < 0) {
        return;
    }
    for (const MacroEvent& event : macros_->LoadMacro(row)) {
        const auto delay = static_cast<int>(LeadingNumber(event.delay, CMacroRecorder::kMaxDelay));
        steps->Add(MakeRow(event, delay));
    }
}

void CMacroControlUI::ApplyStyle(ui::CControlUI& label, const char* style) const {
    const auto found = styles_.find(style);
    if (found == styles_.end()) {
        return;
    }
    for (const auto& [name, value] : ui::CDialogBuilder::ParseAttributeList(found->second)) {
        label.SetAttribute(name, value);
    }
}

std::unique_ptr<ui::CControlUI> CMacroControlUI::MakeRow(const MacroEvent& event, int delay) {
    auto row = std::make_unique<ui::CListContainerElementUI>();
    row->SetAttribute("height", "28");
    row->SetAttribute("selectedbkcolor", "#FF2D5A9F");
    Json::Value object = event.ToJson();
    object.removeMember("Delay");
    row->SetUserData(platform::JsonDocument::Format(object));
    auto line = std::make_unique<ui::CHorizontalLayoutUI>();
    line->SetAttribute("childpadding", "8");
    const MacroStepText text = MacroStepText::Of(event);
    auto label = std::make_unique<ui::CLabelUI>();
    label->SetName("macro_action");
    label->SetText(text.text);
    ApplyStyle(*label, text.kindStyle);
    ApplyStyle(*label, text.actionStyle);
    auto edit = std::make_unique<ui::CEditUI>();
    edit->SetName("macro_delay");
    edit->SetDigitsOnly(true);
    edit->SetMinValue(0);
    edit->SetMaxValue(CMacroRecorder::kMaxDelay);
    edit->SetMaxChar(5);
    edit->SetAttribute("width", "70");
    edit->SetText(std::to_string(delay));
    edit->SetToolTip(ui::CResourceManager::GetInstance().GetText("macro_delay_tip"));
    auto unit = std::make_unique<ui::CLabelUI>();
    unit->SetText("ms");
    unit->SetAttribute("width", "30");
    line->Add(std::move(label));
    line->Add(std::move(edit));
    line->Add(std::move(unit));
    row->Add(std::move(line));
    return row;
}

std::vector<profiles::MacroList::ActionRow> CMacroControlUI::ActionRows() const {
    std::vector<profiles::MacroList::ActionRow> rows;
    const ui::CListUI* steps = List("macro_action_list");
    for (int i = 0; steps != nullptr && i < steps->GetCount(); ++i) {
        auto* row = dynamic_cast<ui::CContainerUI*>(steps->GetItemAt(i));
        if (row == nullptr) {
            continue;
        }
        const ui::CControlUI* delay = row->FindSubControl("macro_delay");
        rows.push_back({delay != nullptr ? delay->GetText() : "", row->GetUserData()});
    }
    return rows;
}

std::optional<MacroEvent> CMacroControlUI::StepAt(int index) const {
    const ui::CListUI* steps = List("macro_action_list");
    const auto* row =
        steps != nullptr ? dynamic_cast<const ui::CContainerUI*>(steps->GetItemAt(index)) : nullptr;
    if (row == nullptr) {
        return std::nullopt;
    }
    const Json::Value object = platform::JsonDocument::Parse(row->GetUserData());
    if (!object.isObject()) {
        return std::nullopt;
    }
    MacroEvent event = MacroEvent::FromJson(object);
    const ui::CControlUI* delay =
        const_cast<ui::CContainerUI*>(row)->FindSubControl("macro_delay");
    event.delay = delay != nullptr ? delay->GetText() : "";
    return event;
}

std::vector<MacroEvent> CMacroControlUI::Steps() const {
    std::vector<MacroEvent> events;
    for (const auto& row : ActionRows()) {
        const Json::Value object = platform::JsonDocument::Parse(row.eventJson);
        if (object.isObject()) {
            MacroEvent event = MacroEvent::FromJson(object);
            event.delay = row.delayText;
            events.push_back(event);
        }
    }
    return events;
}

ListResult CMacroControlUI::NewMacro() {
    if (macros_ == nullptr) {
        return ListResult::kNoSelection;
    }
    const ListResult result = macros_->NewMacro();
    if (result == ListResult::kDone) {
        // A new macro is there at once, with no steps.
        const int row = static_cast<int>(macros_->rows().size()) - 1;
        std::vector<profiles::MacroList::ActionRow> none;
        macros_->SaveMacro(row, none);
        selected_ = row;
        LoadMacroList();
        SelectMacro(row);
    }
    return result;
}

ListResult CMacroControlUI::RenameMacro() {
    const ui::CEditUI* name = Edit("macro_edit_macroname");
    if (macros_ == nullptr || selected_ < 0 || name == nullptr) {
        return ListResult::kNoSelection;
    }
    const ListResult result = macros_->RenameMacro(selected_, name->GetText());
    LoadMacroList();
    return result;
}

ListResult CMacroControlUI::DeleteMacro() {
    if (macros_ == nullptr || selected_ < 0) {
        return ListResult::kNoSelection;
    }
    const ListResult result = macros_->DeleteMacro(selected_);
    selected_ = -1;
    LoadMacroList();
    return result;
}

ListResult CMacroControlUI::SaveMacro() {
    if (macros_ == nullptr || selected_ < 0) {
        return ListResult::kNoSelection;
    }
    std::vector<profiles::MacroList::ActionRow> rows = ActionRows();
    const ListResult result = macros_->SaveMacro(selected_, rows);
    if (result == ListResult::kDone) {
        SelectMacro(selected_);  // empty cells now show 0
    }
    return result;
}

ListResult CMacroControlUI::ExportMacro(const std::filesystem::path& destination) const {
    if (macros_ == nullptr || selected_ < 0) {
        return ListResult::kNoSelection;
    }
    return macros_->ExportMacro(selected_, destination);
}

ListResult CMacroControlUI::ImportMacro(const std::filesystem::path& source) {
    if (macros_ == nullptr) {
        return ListResult::kNoSelection;
    }
    const ListResult result = macros_->ImportMacro(source);
    if (result == ListResult::kDone) {
        selected_ = static_cast<int>(macros_->rows().size()) - 1;
        LoadMacroList();
        SelectMacro(selected_);
    }
    return result;
}

void CMacroControlUI::StartRecording(DelayMode mode, uint64_t nowMs) {
    if (mode == DelayMode::kFixed) {
        SetFixedDelay();
    }
    recorder_.Start(mode, nowMs);
    recording_ = true;
    beforeAnchor_ = -1;
    buttonsDown_.clear();
}

void CMacroControlUI::StopRecording() {
    recording_ = false;
    beforeAnchor_ = -1;
    // A button still down is the press on the stop button: it is no step of the macro.
    ui::CListUI* steps = List("macro_action_list");
    while (steps != nullptr && !buttonsDown_.empty() && steps->GetCount() > 0) {
        const std::optional<MacroEvent> step = StepAt(steps->GetCount() - 1);
        if (!step) {
            break;
        }
        const MacroEvent& last = *step;
        if (last.type != MacroStepText::kMouseButtonType || last.action != "down" ||
            std::find(buttonsDown_.begin(), buttonsDown_.end(), last.button) ==
                buttonsDown_.end()) {
            break;
        }
        steps->Remove(steps->GetItemAt(steps->GetCount() - 1));
        buttonsDown_.erase(std::find(buttonsDown_.begin(), buttonsDown_.end(), last.button));
    }
    buttonsDown_.clear();
}

int CMacroControlUI::SetFixedDelay() {
    ui::CEditUI* edit = Edit("macro_fixed_time_edit");
    if (edit == nullptr) {
        return recorder_.fixedDelay();
    }
    const std::string text = edit->GetText();
    const int value = recorder_.SetFixedDelay(LeadingNumber(text, CMacroRecorder::kMaxDelay));
    if (text != std::to_string(value)) {
        edit->SetText(std::to_string(value));
        edit->SetSelAllAndCaretEnd();
    }
    return value;
}

bool CMacroControlUI::IsFixedDelayChecked() const {
    const auto* check =
        dynamic_cast<const ui::COptionUI*>(const_cast<CMacroControlUI*>(this)->FindSubControl(
            "macro_check_time"));
    return check != nullptr && check->IsSelected();
}

int CMacroControlUI::selectedStep() const {
    const ui::CListUI* steps = List("macro_action_list");
    return steps != nullptr ? steps->GetCurSel() : -1;
}

size_t CMacroControlUI::stepCount() const {
    const ui::CListUI* steps = List("macro_action_list");
    return steps != nullptr ? static_cast<size_t>(steps->GetCount()) : 0;
}

void CMacroControlUI::SelectStep(int index) {
    if (ui::CListUI* steps = List("macro_action_list")) {
        steps->SelectItem(index, false, false);
    }
}

int CMacroControlUI::AnchorIndex(Placement placement) const {
    const int selected = selectedStep();
    const int count = static_cast<int>(stepCount());
    switch (placement) {
        case Placement::kAppend: return count;
        case Placement::kAfter: return selected >= 0 ? selected + 1 : count;
        case Placement::kBefore:
            if (beforeAnchor_ >= 0 && beforeAnchor_ < count) {
                return beforeAnchor_;
            }
            return selected >= 0 ? selected : 0;
        case Placement::kReplace: return selected;
    }
    return count;
}

bool CMacroControlUI::AddStep(const MacroEvent& event, Placement placement, uint64_t nowMs) {
    ui::CListUI* steps = List("macro_action_list");
    if (steps == nullptr || selected_ < 0) {
        return false;
    }
    if (event.type == MacroStepText::kMouseButtonType && recording_) {
        const auto down = std::find(buttonsDown_.begin(), buttonsDown_.end(), event.button);
        if (event.action == "down") {
            buttonsDown_.push_back(event.button);
        } else if (down == buttonsDown_.end()) {
            return false;  // released, never pressed while recording
        } else {
            buttonsDown_.erase(down);
        }
    }
    if (placement == Placement::kReplace) {
        const int index = selectedStep();
        auto* row = dynamic_cast<ui::CContainerUI*>(steps->GetItemAt(index));
        if (row == nullptr) {
            return false;
        }
        // The step keeps its delay and whether it presses or releases; its key or button is
        // the one given now.
        MacroEvent replaced = event;
        const Json::Value before = platform::JsonDocument::Parse(row->GetUserData());
        if (before.isObject() && before["Action"].isString()) {
            replaced.action = before["Action"].asString();
        }
        const ui::CControlUI* delay = row->FindSubControl("macro_delay");
        const int kept = delay != nullptr
                             ? static_cast<int>(LeadingNumber(delay->GetText(),
                                                              CMacroRecorder::kMaxDelay))
                             : 0;
        steps->Remove(row);
        steps->AddAt(MakeRow(replaced, kept), index);
        steps->SelectItem(index, false, false);
        return true;
    }
    if (stepCount() >= CMacroRecorder::kMaxSteps) {
        return false;
    }
    const int delay = recorder_.NextDelay(nowMs);
    const int index = AnchorIndex(placement);
    steps->AddAt(MakeRow(event, delay), index);
    if (placement == Placement::kBefore) {
        beforeAnchor_ = index + 1;  // the step they go before, moved on by one
        steps->SelectItem(beforeAnchor_, false, false);
    } else {
        steps->SelectItem(index, false, false);
    }
    return true;
}

bool CMacroControlUI::InsertMouseMove(int type) {
    static constexpr const char* kEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit",
                                             "mouse_y_up_edit", "mouse_y_down_edit"};
    if (!MacroStepText::IsMovement(type)) {
        return false;
    }
    ui::CEditUI* edit = Edit(kEdits[type - MacroStepText::kMoveLeftType]);
    const int distance =
        edit != nullptr ? static_cast<int>(LeadingNumber(edit->GetText(), kMaxDistance)) : 0;
    if (edit != nullptr) {
        edit->SetText(std::to_string(distance));
    }
    if (distance == 0) {
        return false;
    }
    const MacroEvent event{"down", type, distance, "0"};
    CMacroRecorder none;
    std::swap(none, recorder_);
    recorder_.Start(DelayMode::kNone, 0);
    const bool added = AddStep(event, Placement::kAfter, 0);
    std::swap(none, recorder_);
    return added;
}

bool CMacroControlUI::InsertMouseButton(int button, const std::string& action) {
    CMacroRecorder none;
    std::swap(none, recorder_);
    recorder_.Start(DelayMode::kNone, 0);
    const bool wasRecording = recording_;
    recording_ = false;
    bool added = true;
    if (action == "down" || action == "click") {
        added = AddStep({"down", MacroStepText::kMouseButtonType, button, "0"}, Placement::kAfter,
                        0);
    }
    if (added && (action == "up" || action == "click")) {
        added = AddStep({"up", MacroStepText::kMouseButtonType, button, "0"}, Placement::kAfter,
                        0);
    }
    recording_ = wasRecording;
    std::swap(none, recorder_);
    return added;
}

void CMacroControlUI::MoveStep(Move move) {
    ui::CListUI* steps = List("macro_action_list");
    const int index = selectedStep();
    const int count = static_cast<int>(stepCount());
    if (steps == nullptr || index < 0) {
        return;
    }
    int to = index;
    switch (move) {
        case Move::kUp: to = std::max(0, index - 1); break;
        case Move::kDown: to = std::min(count - 1, index + 1); break;
        case Move::kTop: to = 0; break;
        case Move::kBottom: to = count - 1; break;
    }
    if (to == index) {
        return;
    }
    // The selected row as it is, read alone (not every row of a long macro).
    const std::optional<MacroEvent> event = StepAt(index);
    if (!event) {
        return;
    }
    const auto delay = static_cast<int>(LeadingNumber(event->delay, CMacroRecorder::kMaxDelay));
    steps->Remove(steps->GetItemAt(index));
    steps->AddAt(MakeRow(*event, delay), to);
    steps->SelectItem(to, false, false);
}

void CMacroControlUI::DeleteStep() {
    ui::CListUI* steps = List("macro_action_list");
    const int index = selectedStep();
    if (steps == nullptr || index < 0) {
        return;
    }
    steps->Remove(steps->GetItemAt(index));
    const int count = steps->GetCount();
    if (count > 0) {
        steps->SelectItem(std::min(index, count - 1), false, false);
    }
}

void CMacroControlUI::DeleteAllSteps() {
    if (ui::CListUI* steps = List("macro_action_list")) {
        steps->RemoveAll();
    }
}

void CMacroControlUI::ClampDelay(ui::CEditUI& edit) {
    const std::string text = edit.GetText();
    const std::string value = std::to_string(LeadingNumber(text, CMacroRecorder::kMaxDelay));
    if (text != value) {
        edit.SetText(value);
    }
}

}  // namespace marlo::panels
