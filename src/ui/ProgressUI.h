#pragma once

#include "ui/LabelUI.h"

namespace marlo::ui {

class CProgressUI : public CLabelUI {
  public:
    std::string_view GetClass() const override { return "ProgressUI"; }

    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    int GetValue() const { return value_; }
    void SetMinValue(int min);
    void SetMaxValue(int max);
    // The value, bounded by minimum and maximum.
    virtual void SetValue(int value);
    void SetAttribute(std::string_view name, std::string_view value) override;

  private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
};

// A progress bar the user drags: "movevaluechanged" while the thumb moves, "valuechanged"
// when it is released.
class CSliderUI : public CProgressUI {
  public:
    std::string_view GetClass() const override { return "SliderUI"; }
    bool IsFocusable() const override { return true; }

    // What the display backend reports of the user's drag.
    void MoveThumb(int value);
    void ReleaseThumb();
    void DoEvent(TEventUI& event) override;

  private:
    bool dragging_ = false;
};

}  // namespace marlo::ui
