#include "profiles/NameRules.h"

#include <cctype>
#include <cstdio>

namespace marlo::profiles {

bool NameRules::SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool NameRules::Contains(const std::vector<std::string>& names, std::string_view name, int except) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (static_cast<int>(i) != except && SameName(names[i], name)) {
            return true;
        }
    }
    return false;
}

bool NameRules::IsBlank(std::string_view name) {
    for (char c : name) {
        if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return true;
}

size_t NameRules::Utf8Sequence(std::string_view text, char32_t& cp) {
    if (text.empty()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, min = 0x80, cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, min = 0x800, cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        cp = cp << 6 | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

namespace {

bool IsControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

}  // namespace

bool NameRules::IsAcceptable(std::string_view name) {
    if (IsBlank(name) || name.size() > kMaxNameBytes) {
        return false;
    }
    while (!name.empty()) {
        char32_t cp = 0;
        const size_t n = Utf8Sequence(name, cp);
        if (n == 0 || IsControl(cp)) {
            return false;
        }
        name.remove_prefix(n);
    }
    return true;
}

std::string NameRules::Printable(std::string_view name) {
    std::string shown;
    while (!name.empty()) {
        char32_t cp = 0;
        size_t n = Utf8Sequence(name, cp);
        if (n == 0 || IsControl(cp) || cp == '\\') {
            // Each byte of it, as its value.
            n = n == 0 ? 1 : n;
            for (size_t i = 0; i < n; ++i) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x",
                              static_cast<unsigned char>(name[i]));
                shown += escaped;
            }
        } else {
            shown.append(name.substr(0, n));
        }
        name.remove_prefix(n);
    }
    return shown;
}

std::string NameRules::FirstFree(const std::vector<std::string>& names, const char* pattern) {
    for (int n = 1;; ++n) {
        char candidate[64];
        std::snprintf(candidate, sizeof candidate, pattern, n);
        if (!Contains(names, candidate)) {
            return candidate;
        }
    }
}

}  // namespace marlo::profiles
