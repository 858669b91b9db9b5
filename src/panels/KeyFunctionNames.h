#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panels/KeyFunctionTables.h"

namespace marlo::panels {

// The key assignment panel's functions by name, for scripts: "key:A", "ctrl+c",
// "shift+alt+key:Tab", "mouse:left", "media:play-pause", "system:sleep", "dpi:2",
// "macro:N[:MODE]", "macro:N:repeat:COUNT", "fire:INTERVAL:COUNT",
// "move:up|down:COUNT:DELAY:SPEED", "wheel:up|down:COUNT:DELAY:SPEED", "fn", "default". Names
// are read without regard to case; a key's name is its keycap name with spaces as '-'.
class KeyFunctionNames {
  public:
    struct Parsed {
        std::optional<KeyCode> code;
        bool isDefault = false;  // "default": the key's own default
        std::string error;       // why there is neither, for the person
    };

    static Parsed Parse(std::string_view text);
    // One line per name or form.
    static std::vector<std::string> Forms();
};

}  // namespace marlo::panels
