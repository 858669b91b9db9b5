#pragma once

#include <string>

#include "profiles/BasicProfiledata.h"

namespace marlo::profiles {

// The headset's profile: system settings, equaliser presets and custom presets.
class CHs6533Profiledata : public CBasicProfiledata {
  public:
    static constexpr int kBands = 10;
    static constexpr int kCustomEqType = 13;
    static constexpr int kMaxCustomPresets = 64;

    HeadsetSystemSetStages GetHeadsetSystemSetStages();
    void SetHeadsetSystemSetStages(const HeadsetSystemSetStages& stages);

    // The preset slot of an equaliser type: 0 → 1, 1-12 → itself, above 13 → 1; the custom
    // type 13 has none (-1).
    static int EqSlot(int type);
    // Ten band values; bands missing in the tree are completed there with 0. Empty for the
    // custom type.
    std::vector<int32_t> GetEqValues(int type);
    void SetEqValues(int type, const std::vector<int32_t>& values);
    std::vector<int32_t> GetCustomEqValues(int number);
    void SetCustomEqValues(int number, const std::vector<int32_t>& values);
    std::vector<std::string> GetCustomEqNames();
    // False, and nothing changed, when a name has control characters or is over 64 bytes.
    bool SetCustomEqNames(const std::vector<std::string>& names);

  private:
    std::vector<int32_t> BandsOf(std::string_view section, int index);
    void WriteBands(std::string_view section, int index, const std::vector<int32_t>& values);

    HeadsetSystemSetStages stages_;
    std::vector<int32_t> eqValues_;
};

}  // namespace marlo::profiles
