#include "MusicWnd.h"

#include <algorithm>

#include "ControlRouter.h"
#include "panels/LightControlUI.h"
#include "profiles/NameRules.h"
#include "ui/OptionUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/ProgressUI.h"

namespace marlo::app {

namespace {

constexpr const char* kSliders[3] = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};

}  // namespace

ui::CControlUI* CMusicWnd::Find(const std::string& name) const {
    return const_cast<ui::CPaintManagerUI&>(manager_).FindControl(name);
}

void CMusicWnd::Prepare(int dpi) {
    SizeForDpi(dpi, kBaseWidth, kBaseHeight);
    CenterWindow();
}

void CMusicWnd::InitWindow() {
    for (const char* name : kSliders) {
        if (auto* slider = dynamic_cast<ui::CSliderUI*>(Find(name))) {
            slider->SetMinValue(0);
            slider->SetMaxValue(kChannelMaximum);
        }
    }
    Show();
}

void CMusicWnd::SetStyles(const profiles::AudioStyles& styles) {
    styles_ = styles;
    styles_.active = std::clamp(styles_.active, 0, static_cast<int>(styles_.styles.size()) - 1);
    Show();
}

void CMusicWnd::Show() {
    const auto& style = styles_.styles[static_cast<size_t>(styles_.active)];
    const uint8_t channels[3] = {style.red, style.green, style.blue};
    for (int c = 0; c < 3; ++c) {
        if (auto* slider = dynamic_cast<ui::CSliderUI*>(Find(kSliders[c]))) {
            slider->SetValue(channels[c]);
        }
    }
    for (size_t i = 0; i < styles_.styles.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        if (auto* option = dynamic_cast<ui::COptionUI*>(Find("audio_select_tab" + n))) {
            option->Selected(static_cast<int>(i) == styles_.active, false);
        }
        if (ui::CControlUI* edit = Find("audio_edit_name" + n)) {
            edit->SetText(styles_.styles[i].name);
        }
    }
}

profiles::AudioStyles CMusicWnd::GetStyles() const {
    for (size_t i = 0; i < styles_.styles.size(); ++i) {
        if (dynamic_cast<ui::COptionUI*>(Find("audio_select_tab" + std::to_string(i + 1))) ==
            nullptr) {
            throw panels::LightPanelError("GetAudioLightInfo control is NULL");
        }
    }
    for (const char* name : kSliders) {
        if (dynamic_cast<ui::CSliderUI*>(Find(name)) == nullptr) {
            throw panels::LightPanelError("GetAudioLightInfo control is NULL");
        }
    }
    return styles_;
}

void CMusicWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        WindowImplBase::Notify(msg);
        return;
    }
    const std::string& name = msg.pSender->GetName();
    auto& style = styles_.styles[static_cast<size_t>(styles_.active)];
    if (msg.sType == ui::notify::kClick) {
        if (name == "okbtn") {
            Close(1);
        } else if (name == "closebtn" || name == "cancelbtn") {
            Close(0);
        }
    } else if (msg.sType == ui::notify::kSelectChanged) {
        const auto tab = CControlRouter::IndexAfter(name, "audio_select_tab");
        const auto* option = dynamic_cast<ui::COptionUI*>(msg.pSender);
        if (tab && *tab >= 1 && *tab <= static_cast<int>(styles_.styles.size()) &&
            option != nullptr && option->IsSelected()) {
            styles_.active = *tab - 1;
            Show();
        }
    } else if (msg.sType == ui::notify::kValueChanged ||
               msg.sType == ui::notify::kMoveValueChanged) {
        uint8_t* channels[3] = {&style.red, &style.green, &style.blue};
        for (int c = 0; c < 3; ++c) {
            if (name == kSliders[c]) {
                const auto* slider = static_cast<ui::CSliderUI*>(msg.pSender);
                *channels[c] = static_cast<uint8_t>(std::clamp(slider->GetValue(), 0, 9));
            }
        }
    } else if (msg.sType == ui::notify::kKillFocus) {
        if (const auto n = CControlRouter::IndexAfter(name, "audio_edit_name");
            n && *n >= 1 && *n <= static_cast<int>(styles_.styles.size())) {
            // A name a person could not give (empty, too long, control characters) is not
            // taken: the edit shows the name kept.
            auto& kept = styles_.styles[static_cast<size_t>(*n - 1)].name;
            if (profiles::NameRules::IsAcceptable(msg.pSender->GetText())) {
                kept = msg.pSender->GetText();
            } else {
                msg.pSender->SetText(kept);
            }
        }
    }
    WindowImplBase::Notify(msg);
}

bool CMusicWnd::OnEscape() {
    Close(0);
    return true;
}

}  // namespace marlo::app
