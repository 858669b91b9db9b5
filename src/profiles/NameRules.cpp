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

bool NameRules::IsAcceptable(std::string_view name) {
    if (IsBlank(name) || name.size() > kMaxNameBytes) {
        return false;
    }
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            return false;
        }
    }
    return true;
}

std::string NameRules::Printable(std::string_view name) {
    std::string shown;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
            shown += escaped;
        } else {
            shown += c;
        }
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
