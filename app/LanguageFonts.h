#pragma once

#include <optional>
#include <string>
#include <vector>

namespace marlo::ui {
class IDisplayBackend;
}

namespace marlo::app {

// The fonts a language is written in. Simplified Chinese (index 0), Traditional Chinese (2)
// and Thai (15) have faces of their own; every other language shares one Latin face. Where a
// face is not installed, the Debian family that writes the same script stands in, so no text
// shows as boxes.
class LanguageFonts {
  public:
    // The faces to try, best first, when switching from `currentIndex` to `index`; nothing
    // when the fonts stay (between two languages of the shared face).
    static std::optional<std::vector<std::string>> FacesFor(int index, int currentIndex);
    // The first face the backend can draw; the last one when none is installed.
    static std::string InstalledFace(const std::vector<std::string>& faces,
                                     const ui::IDisplayBackend& backend);
    // Replaces every window's fonts with the font table in `face`.
    static void SetFonts(const std::string& face);
};

}  // namespace marlo::app
