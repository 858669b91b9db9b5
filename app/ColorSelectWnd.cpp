#include "ColorSelectWnd.h"

#include "ControlRouter.h"
#include "panels/LightControlUI.h"
#include "platform/DebugOutput.h"
#include "platform/JsonDocument.h"
#include "platform/KeptDocument.h"
#include "platform/Paths.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ContainerUI.h"
#include "ui/LabelUI.h"

namespace marlo::app {

namespace {

std::string Argb(uint32_t rgb) {
    return "#FF" + profiles::RecentColours::Hex(rgb).substr(1);
}

}  // namespace

std::filesystem::path CColorSelectWnd::RecentFile() {
    return platform::Paths::ProductFolder() / "RecentColours.json";
}

void CColorSelectWnd::Prepare(int dpi) {
    SizeForDpi(dpi, kBaseWidth, kBaseHeight);
    CenterWindow();
}

void CColorSelectWnd::InitWindow() {
    // A file that cannot be used is kept aside, never overwritten.
    const platform::KeptDocument kept =
        platform::KeptDocument::Read(RecentFile(), profiles::RecentColours::kMaxFileBytes,
                                     profiles::RecentColours::IsRecentShape);
    recent_ = profiles::RecentColours::FromDocument(kept.value);
    std::vector<uint32_t> presets;
    for (int i = 0; i < panels::CLightControlUI::kPresetColours; ++i) {
        presets.push_back(panels::CLightControlUI::PresetColour(i));
    }
    AddSwatches("color_presets", "color_preset_", presets);
    AddSwatches("color_recent", "color_recent_", recent_.colours());
    Show();
}

void CColorSelectWnd::AddSwatches(const char* row, const char* prefix,
                                  const std::vector<uint32_t>& colours) {
    auto* layout = dynamic_cast<ui::CContainerUI*>(manager_.FindControl(row));
    if (layout == nullptr) {
        return;
    }
    for (size_t i = 0; i < colours.size(); ++i) {
        auto swatch = std::make_unique<ui::CButtonUI>();
        swatch->SetName(prefix + std::to_string(i));
        swatch->SetAttribute("width", "26");
        swatch->SetAttribute("height", "26");
        swatch->SetAttribute("bkcolor", Argb(colours[i]));
        swatch->SetAttribute("bordersize", "1");
        swatch->SetAttribute("bordercolor", "#FF44484F");
        swatch->SetToolTip(profiles::RecentColours::Hex(colours[i]));  // said by screen readers
        layout->Add(std::move(swatch));
    }
}

void CColorSelectWnd::Show() {
    if (auto* field = dynamic_cast<ui::CColorPaletteUI*>(manager_.FindControl("color_field"))) {
        field->SetSelectColor(0xFF000000u | rgb_);
    }
    if (ui::CControlUI* edit = manager_.FindControl("color_hex_edit")) {
        const std::string hex = profiles::RecentColours::Hex(rgb_);
        if (edit->GetText() != hex) {
            edit->SetText(hex);
        }
    }
    if (ui::CControlUI* preview = manager_.FindControl("color_preview")) {
        preview->SetAttribute("bkcolor", Argb(rgb_));
        preview->Invalidate();
    }
}

void CColorSelectWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        WindowImplBase::Notify(msg);
        return;
    }
    const std::string& name = msg.pSender->GetName();
    if (msg.sType == ui::notify::kClick) {
        if (name == "okbtn") {
            // As the file is now (another window may have added to it); one that became
            // unusable meanwhile is kept aside first, and one that cannot be is left alone.
            const platform::KeptDocument kept =
                platform::KeptDocument::Read(RecentFile(), profiles::RecentColours::kMaxFileBytes,
                                             profiles::RecentColours::IsRecentShape);
            recent_ = profiles::RecentColours::FromDocument(kept.value);
            recent_.Add(rgb_);
            if (kept.status == platform::KeptDocument::Status::kBlocked ||
                !platform::JsonDocument::Write(RecentFile(), recent_.ToDocument())) {
                platform::DebugOutput::Printf("the recent colours could not be kept: %s",
                                              RecentFile().c_str());
            }
            Close(1);
        } else if (name == "closebtn" || name == "cancelbtn") {
            Close(0);
        } else if (const auto preset = CControlRouter::IndexAfter(name, "color_preset_")) {
            rgb_ = panels::CLightControlUI::PresetColour(*preset);
            Show();
        } else if (const auto recent = CControlRouter::IndexAfter(name, "color_recent_");
                   recent && static_cast<size_t>(*recent) < recent_.colours().size()) {
            rgb_ = recent_.colours()[static_cast<size_t>(*recent)];
            Show();
        }
    } else if (msg.sType == ui::CColorPaletteUI::kColorChanged) {
        rgb_ = static_cast<ui::CColorPaletteUI*>(msg.pSender)->GetSelectColor() & 0xFFFFFF;
        Show();
    } else if ((msg.sType == ui::notify::kKillFocus || msg.sType == ui::notify::kReturn) &&
               name == "color_hex_edit") {
        // A colour that is not "#RRGGBB" is not taken: the entry shows the colour kept.
        std::string typed = msg.pSender->GetText();
        if (!typed.empty() && typed[0] != '#') {
            typed.insert(typed.begin(), '#');
        }
        if (const auto rgb = profiles::RecentColours::ParseHex(typed)) {
            rgb_ = *rgb;
        }
        Show();
    }
    WindowImplBase::Notify(msg);
}

bool CColorSelectWnd::OnEscape() {
    Close(0);
    return true;
}

}  // namespace marlo::app
