#pragma once

#include "profiles/BasicProfiledata.h"

namespace marlo::profiles {

// The mouse's profile: DPI stages, system settings and report rate, sensor corrections.
class CMouseProfiledata : public CBasicProfiledata {
  public:
    // The stages read from the tree replace the kept ones by position; the kept list never
    // shrinks. With no "StageDPIs" the kept list comes back unchanged.
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);
    int activeStage() const { return activeStage_; }
    void SetActiveStage(int index);
    MouseSystemStages GetMouseSystemStages();
    void SetMouseSystemStages(const MouseSystemStages& stages);
    std::vector<CorrectEntry> GetCorrectEntries();

  private:
    std::vector<DpiStage> dpiStages_;
    int activeStage_ = 0;
    MouseSystemStages systemStages_;
    std::vector<CorrectEntry> corrections_;
};

}  // namespace marlo::profiles
