#pragma once

#include <QPushButton>

namespace marlo::ui {

class CControlUI;
class CPaintManagerUI;

// A button, option or check-box peer drawn as the skin says in each state: disabled,
// pushed, selected, hot (under the pointer), focused (with a visible focus ring), normal.
class SkinButton : public QPushButton {
  public:
    SkinButton(CControlUI* control, CPaintManagerUI& manager, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CControlUI* control_;
    CPaintManagerUI& manager_;
};

}  // namespace marlo::ui
