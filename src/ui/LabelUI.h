#pragma once

#include "ui/ControlUI.h"

namespace marlo::ui {

class CLabelUI : public CControlUI {
  public:
    std::string_view GetClass() const override { return "LabelUI"; }
};

class CTextUI : public CLabelUI {
  public:
    std::string_view GetClass() const override { return "TextUI"; }
};

class CButtonUI : public CLabelUI {
  public:
    std::string_view GetClass() const override { return "ButtonUI"; }
    bool IsFocusable() const override { return true; }
};

}  // namespace marlo::ui
