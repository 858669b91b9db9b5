#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marlo::profiles {

// Names of list entries as the user sees them.
class NameRules {
  public:
    // Equal ignoring the case of ASCII letters.
    static bool SameName(std::string_view a, std::string_view b);
    static bool Contains(const std::vector<std::string>& names, std::string_view name,
                         int except = -1);
    static bool IsBlank(std::string_view name);
    // The longest name a person may give (bytes of UTF-8): longer than any list shows.
    static constexpr size_t kMaxNameBytes = 64;
    // Whether a name a person gives may be stored: not blank, at most kMaxNameBytes, and with
    // no control character (a line end would forge rows wherever names are listed).
    static bool IsAcceptable(std::string_view name);
    // A name as a line of text may show it: control characters as \xNN.
    static std::string Printable(std::string_view name);
    // The first of pattern(1), pattern(2), … that no entry uses ("profile%d", "macro_%d").
    static std::string FirstFree(const std::vector<std::string>& names, const char* pattern);
};

}  // namespace marlo::profiles
