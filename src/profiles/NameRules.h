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
    // The first of pattern(1), pattern(2), … that no entry uses ("profile%d", "macro_%d").
    static std::string FirstFree(const std::vector<std::string>& names, const char* pattern);
};

}  // namespace marlo::profiles
