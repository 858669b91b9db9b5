#include "LanguageFonts.h"

#include <map>

#include "ui/DisplayBackend.h"
#include "ui/PaintManagerUI.h"

namespace marlo::app {
namespace {

bool HasOwnFace(int index) {
    return index == 0 || index == 2 || index == 15;
}

}  // namespace

std::optional<std::vector<std::string>> LanguageFonts::FacesFor(int index, int currentIndex) {
    switch (index) {
        case 15:
            return std::vector<std::string>{"Noto Sans Thai", "Loma", "Noto Sans"};
        case 0:
            return std::vector<std::string>{"汉仪菱心体简", "Noto Sans CJK SC", "Noto Sans SC"};
        case 2:
            return std::vector<std::string>{"Noto Sans CJK TC Regular", "Noto Sans CJK TC",
                                            "Noto Sans TC"};
        default:
            break;
    }
    // The shared face is set only when leaving a language with its own, or at the first call.
    if (currentIndex == -1 || HasOwnFace(currentIndex)) {
        return std::vector<std::string>{"Verdana Unicode MS", "Noto Sans", "DejaVu Sans"};
    }
    return std::nullopt;
}

std::string LanguageFonts::InstalledFace(const std::vector<std::string>& faces,
                                         const ui::IDisplayBackend& backend) {
    for (const std::string& face : faces) {
        if (backend.HasFontFamily(face)) {
            return face;
        }
    }
    return faces.empty() ? std::string() : faces.back();
}

void LanguageFonts::SetFonts(const std::string& face) {
    struct Row {
        int id;  // -1: the default font
        int size;
        bool underline;
        bool bold;
    };
    // In the order they are added: font 0, the default font, fonts 1 to 11, font 50.
    static constexpr Row kTable[] = {
        {0, 15, false, false},  {-1, 14, false, false}, {1, 14, true, false},
        {2, 18, false, false},  {3, 30, false, false},  {4, 16, false, false},
        {5, 20, false, false},  {6, 22, false, false},  {7, 14, false, false},
        {8, 12, false, false},  {9, 11, false, false},  {10, 10, false, false},
        {11, 28, false, false}, {50, 18, false, true},
    };
    std::map<int, ui::FontInfo> fonts;
    ui::FontInfo defaultFont;
    for (const Row& row : kTable) {
        ui::FontInfo font;
        font.face = face;
        font.size = row.size;
        font.bold = row.bold;
        font.underline = row.underline;
        if (row.id < 0) {
            defaultFont = font;
        } else {
            fonts[row.id] = font;
        }
    }
    ui::CPaintManagerUI::SetSharedFonts(std::move(fonts), std::move(defaultFont));
}

}  // namespace marlo::app
