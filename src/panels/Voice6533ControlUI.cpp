#include "panels/Voice6533ControlUI.h"

#include <cstdio>
#include <memory>

#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"
#include "ui/ProgressUI.h"

namespace marlo::panels {
namespace {

std::string Numbered(const char* prefix, int n) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%d", prefix, n);
    return name;
}

}  // namespace

ui::COptionUI* CVoice6533ControlUI::Option(const std::string& name) const {
    return dynamic_cast<ui::COptionUI*>(const_cast<CVoice6533ControlUI*>(this)->FindSubControl(name));
}

ui::CSliderUI* CVoice6533ControlUI::Slider(const std::string& name) const {
    return dynamic_cast<ui::CSliderUI*>(const_cast<CVoice6533ControlUI*>(this)->FindSubControl(name));
}

void CVoice6533ControlUI::SelectPreset(int preset) {
    for (int n = 1; n <= kPresets; ++n) {
        if (ui::COptionUI* option = Option(Numbered("6533_eq_option_", n))) {
            option->Selected(false, false);
        }
    }
    preset_ = preset >= 0 && preset <= kPresets ? preset : 0;
    if (ui::COptionUI* option = Option(Numbered("6533_eq_option_", preset_))) {
        option->Selected(true, false);
    }
    EnableCustom(preset_ == kPresets);
}

void CVoice6533ControlUI::SetBand(int band, int value) {
    if (ui::CSliderUI* slider = Slider(Numbered("6533_eq_hz_slider_", band))) {
        slider->SetValue(value);
    }
}

int CVoice6533ControlUI::GetBand(int band) const {
    const ui::CSliderUI* slider = Slider(Numbered("6533_eq_hz_slider_", band));
    return slider != nullptr ? slider->GetValue() : -1;
}

std::vector<int> CVoice6533ControlUI::Bands() const {
    std::vector<int> values;
    for (int b = 0; b < kBands; ++b) {
        values.push_back(GetBand(b));
    }
    return values;
}

void CVoice6533ControlUI::SetBands(const std::vector<int>& values) {
    for (size_t b = 0; b < values.size() && b < static_cast<size_t>(kBands); ++b) {
        SetBand(static_cast<int>(b), values[b]);
    }
}

void CVoice6533ControlUI::EnableCustom(bool enable) {
    if (ui::CControlUI* area = FindSubControl("custom_eq_option_layout")) {
        area->SetEnabled(enable);
    }
}

void CVoice6533ControlUI::AddCustomName(const std::string& name) {
    auto* combo = dynamic_cast<ui::CComboUI*>(FindSubControl("custom_eq_name_combo"));
    if (combo == nullptr) {
        return;
    }
    auto item = std::make_unique<ui::CListLabelElementUI>();
    item->SetText(name);
    item->SetUserData(name);
    item->SetAttribute("height", "30");
    combo->Add(std::move(item));
}

void CVoice6533ControlUI::SelectCustom(int index) {
    if (auto* combo = dynamic_cast<ui::CComboUI*>(FindSubControl("custom_eq_name_combo"))) {
        combo->SelectItem(index, false, false);
    }
}

int CVoice6533ControlUI::selectedCustom() const {
    const auto* combo = dynamic_cast<const ui::CComboUI*>(
        const_cast<CVoice6533ControlUI*>(this)->FindSubControl("custom_eq_name_combo"));
    return combo != nullptr ? combo->GetCurSel() : -1;
}

int CVoice6533ControlUI::CustomCount() const {
    const auto* combo = dynamic_cast<const ui::CComboUI*>(
        const_cast<CVoice6533ControlUI*>(this)->FindSubControl("custom_eq_name_combo"));
    return combo != nullptr ? combo->GetCount() : 0;
}

std::string CVoice6533ControlUI::CustomNameAt(int index) const {
    const auto* combo = dynamic_cast<const ui::CComboUI*>(
        const_cast<CVoice6533ControlUI*>(this)->FindSubControl("custom_eq_name_combo"));
    const ui::CControlUI* item = combo != nullptr ? combo->GetItemAt(index) : nullptr;
    return item != nullptr ? item->GetUserData() : std::string();
}

void CVoice6533ControlUI::ClearCustom() {
    if (auto* combo = dynamic_cast<ui::CComboUI*>(FindSubControl("custom_eq_name_combo"))) {
        combo->RemoveAll();
    }
}

std::string CVoice6533ControlUI::TypedName() const {
    const ui::CControlUI* edit =
        const_cast<CVoice6533ControlUI*>(this)->FindSubControl("custom_eq_name_edit");
    return edit != nullptr ? edit->GetText() : std::string();
}

void CVoice6533ControlUI::SetSwitch(const char* name, bool on) {
    if (ui::COptionUI* option = Option(name)) {
        option->Selected(on, false);
    }
}

bool CVoice6533ControlUI::Switch(const char* name) const {
    const ui::COptionUI* option = Option(name);
    return option != nullptr && option->IsSelected();
}

void CVoice6533ControlUI::SetVolume(const char* name, int volume) {
    if (ui::CSliderUI* slider = Slider(name)) {
        slider->SetValue(volume);
    }
}

int CVoice6533ControlUI::Volume(const char* name) const {
    const ui::CSliderUI* slider = Slider(name);
    return slider != nullptr ? slider->GetValue() : 0;
}

}  // namespace marlo::panels
