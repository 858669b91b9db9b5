#pragma once

#include "profiles/BasicProfiledata.h"

namespace marlo::profiles {

// The keyboard's profile: system settings and per-key custom light colours on top of the
// common sections.
class CKeyboardProfiledata : public CBasicProfiledata {
  public:
    // Custom colour groups and keys per group beyond these are not written: the numbers come
    // from documents and callers, and must not grow a document without bound.
    static constexpr int kMaxCustomGroups = 64;
    static constexpr int kMaxCustomKeys = 256;

    KeyboardSystemStages GetKeyboardSystemStages();
    void SetKeyboardSystemStages(const KeyboardSystemStages& stages);
    // The colours of a custom group; missing entries are completed with zero colours.
    std::vector<CustomLightColor> GetCustomLightColors(int group, int count);
    void SetCustomLightColors(const std::vector<CustomLightColor>& colors, int group);
    int GetCustomLightGroup();
    void SetCustomLightGroup(int group);

  private:
    KeyboardSystemStages stages_;
    std::vector<CustomLightColor> customColors_;
    int customGroup_ = 0;
};

}  // namespace marlo::profiles
