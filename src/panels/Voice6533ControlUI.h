#pragma once

#include <string>
#include <vector>

#include "ui/ContainerUI.h"

namespace marlo::ui {
class COptionUI;
class CSliderUI;
}  // namespace marlo::ui

namespace marlo::panels {

// The headset's sound panel ("Voice6533ControlItem"): the equaliser presets and bands, the
// custom presets, and the microphone and monitor switches and volumes. It shows values and
// holds the custom preset list; the main window turns the person's changes into the
// headset's settings.
class CVoice6533ControlUI : public ui::CVerticalLayoutUI {
  public:
    static constexpr int kPresets = 13;  // options 1-13; 13 is the custom equaliser
    static constexpr int kBands = 10;

    std::string_view GetClass() const override { return "Voice6533ControlUI"; }

    // Option n selected, all others cleared (0 selects none); outside 0-13 selects none and
    // keeps 0.
    void SelectPreset(int preset);
    int preset() const { return preset_; }
    void SetBand(int band, int value);
    // -1 when the slider is missing.
    int GetBand(int band) const;
    std::vector<int> Bands() const;
    void SetBands(const std::vector<int>& values);
    void EnableCustom(bool enable);

    void AddCustomName(const std::string& name);
    void SelectCustom(int index);
    int selectedCustom() const;
    int CustomCount() const;
    std::string CustomNameAt(int index) const;
    void ClearCustom();
    // The name typed for a new custom preset.
    std::string TypedName() const;

    void SetMicSwitch(bool on) { SetSwitch("6533_MicIn_option", on); }
    bool GetMicSwitch() const { return Switch("6533_MicIn_option"); }
    void SetMicVolume(int volume) { SetVolume("6533_MicIn_slider", volume); }
    int GetMicVolume() const { return Volume("6533_MicIn_slider"); }
    void SetMonitorSwitch(bool on) { SetSwitch("6533_MicMoniter_option", on); }
    bool GetMonitorSwitch() const { return Switch("6533_MicMoniter_option"); }
    void SetMonitorVolume(int volume) { SetVolume("6533_MicMoniter_slider", volume); }
    int GetMonitorVolume() const { return Volume("6533_MicMoniter_slider"); }

  private:
    ui::COptionUI* Option(const std::string& name) const;
    ui::CSliderUI* Slider(const std::string& name) const;
    void SetSwitch(const char* name, bool on);
    bool Switch(const char* name) const;
    void SetVolume(const char* name, int volume);
    int Volume(const char* name) const;

    int preset_ = 0;
};

}  // namespace marlo::panels
