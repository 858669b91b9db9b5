#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "profiles/RecentColours.h"
#include "ui/WindowImplBase.h"

namespace marlo::app {

// The colour dialog: a colour field, the colour as "#RRGGBB" (typed or shown), the preset
// colours and the ones chosen lately (kept in the product folder). It closes with 1 on OK, when
// the chosen colour is kept among the recent ones; with 0 on its close button, Cancel, Escape
// or WM_CLOSE.
class CColorSelectWnd : public ui::WindowImplBase {
  public:
    static constexpr int kBaseWidth = 400;
    static constexpr int kBaseHeight = 380;

    explicit CColorSelectWnd(uint32_t rgb) : rgb_(rgb & 0xFFFFFF) {}

    std::string GetWindowClassName() const override { return "ColorSelectWnd"; }
    std::string GetSkinFile() override { return "XML_COLORSELECT"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    bool OnEscape() override;

    void Prepare(int dpi);
    uint32_t colour() const { return rgb_; }  // 0xRRGGBB
    static std::filesystem::path RecentFile();

  private:
    // The colour into the field, the entry and the preview.
    void Show();
    void AddSwatches(const char* row, const char* prefix, const std::vector<uint32_t>& colours);
    uint32_t rgb_;
    profiles::RecentColours recent_;
};

}  // namespace marlo::app
