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
    // Whether a name a person gives may be stored: not blank, at most kMaxNameBytes, valid
    // UTF-8 (the documents that keep names must stay UTF-8), and with no control character,
    // C0 or C1 (a line end would forge rows wherever names are listed).
    static bool IsAcceptable(std::string_view name);
    // A name as a line of text may show it: control characters and bytes that are not UTF-8
    // as \xNN.
    static std::string Printable(std::string_view name);
    // The length of the well-formed UTF-8 sequence at the start of `text` (shortest form, no
    // surrogates, at most U+10FFFF), or 0 when it starts with none; its code point in `cp`.
    static size_t Utf8Sequence(std::string_view text, char32_t& cp);
    // The first of pattern(1), pattern(2), … that no entry uses ("profile%d", "macro_%d").
    static std::string FirstFree(const std::vector<std::string>& names, const char* pattern);
};

}  // namespace marlo::profiles
