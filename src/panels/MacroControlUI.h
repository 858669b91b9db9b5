#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "panels/MacroRecorder.h"
#include "profiles/MacroList.h"
#include "ui/ContainerUI.h"

namespace marlo::ui {
class CEditUI;
class CListUI;
}  // namespace marlo::ui

namespace marlo::panels {

// The macro panel of a device page ("MacroControlItem"): the device's macros, the steps of the
// selected one (each a label and a delay edit), recording steps from the input hook, and
// editing them. Steps live in the list until the macro is saved; the files are the macro
// list's. The label styles are the panel's own attributes ("macro_label_down_style", …),
// each an attribute list for the label.
class CMacroControlUI : public ui::CHorizontalLayoutUI {
  public:
    enum class Placement { kAppend, kBefore, kAfter, kReplace };
    enum class Move { kUp, kDown, kTop, kBottom };
    using DelayMode = CMacroRecorder::DelayMode;

    std::string_view GetClass() const override { return "MacroControlUI"; }
    void SetAttribute(std::string_view name, std::string_view value) override;

    void SetDataFolder(const std::filesystem::path& folder);
    // The mouse page shows the movement edits with a macro.
    void SetMousePage(bool mouse) { mousePage_ = mouse; }

    // The macro list, again from its files; the selected macro stays selected when it is
    // still there.
    void LoadMacroList();
    std::vector<std::string> MacroNames() const;
    int selectedMacro() const { return selected_; }
    // Shows a macro's steps from its file (-1: none).
    void SelectMacro(int row);
    profiles::ListResult NewMacro();
    // Renames the selected macro to the text of "macro_edit_macroname".
    profiles::ListResult RenameMacro();
    profiles::ListResult DeleteMacro();
    profiles::ListResult SaveMacro();
    // The selected macro's steps as they were saved.
    void CancelEdits() { SelectMacro(selected_); }
    profiles::ListResult ExportMacro(const std::filesystem::path& destination) const;
    profiles::ListResult ImportMacro(const std::filesystem::path& source);

    // Recording: each step takes its delay by the mode (the fixed delay from the edit).
    void StartRecording(DelayMode mode, uint64_t nowMs);
    void StopRecording();
    bool recording() const { return recording_; }
    // Reads "macro_fixed_time_edit" (above 65535 is 65535, written back) and keeps it.
    int SetFixedDelay();
    bool IsFixedDelayChecked() const;

    // A recorded step ("Delay" of `event` is ignored): placed after, before or instead of
    // the selected step, or at the end. False when it was not taken (no macro selected, or
    // 4000 steps already). A release of a mouse button not pressed while recording is not
    // taken (the click that started the recording).
    bool AddStep(const profiles::MacroEvent& event, Placement placement, uint64_t nowMs);
    // A cursor movement (type 2-5) by the distance of its edit, after the selected step.
    bool InsertMouseMove(int type);
    // A mouse button pressed, released or clicked (both), after the selected step.
    bool InsertMouseButton(int button, const std::string& action);

    void MoveStep(Move move);
    void DeleteStep();
    void DeleteAllSteps();
    void SelectStep(int index);
    int selectedStep() const;
    size_t stepCount() const;
    std::vector<profiles::MacroEvent> Steps() const;
    // One step, with its delay as typed; nothing for a row past the list or without an event.
    std::optional<profiles::MacroEvent> StepAt(int index) const;
    // A step's delay edit lost the focus: digits only, 0-65535.
    static void ClampDelay(ui::CEditUI& edit);

  private:
    ui::CListUI* List(const char* name) const;
    ui::CEditUI* Edit(const char* name) const;
    std::unique_ptr<ui::CControlUI> MakeRow(const profiles::MacroEvent& event, int delay);
    void ApplyStyle(ui::CControlUI& label, const char* style) const;
    std::vector<profiles::MacroList::ActionRow> ActionRows() const;
    void ShowActionArea(bool shown);
    int AnchorIndex(Placement placement) const;

    std::unique_ptr<profiles::MacroList> macros_;
    std::map<std::string, std::string, std::less<>> styles_;
    CMacroRecorder recorder_;
    bool recording_ = false;
    bool mousePage_ = false;
    int selected_ = -1;
    // While steps are inserted before a step, that step stays the anchor so they keep the
    // order they happen in.
    int beforeAnchor_ = -1;
    std::vector<int> buttonsDown_;  // mouse buttons pressed while recording
};

}  // namespace marlo::panels
