#pragma once

#include <memory>
#include <string_view>

#include "ui/DialogBuilder.h"

namespace marlo::ui {
class CPaintManagerUI;
}

namespace marlo::app {

// The skin classes the program makes itself when a layout names them (compared ignoring
// case): the device pages' roots and controls, and the sub-layouts built for an element.
// The main window answers the skin builder with it; so does `marloctl skin tree`.
class CSkinClasses : public ui::IDialogBuilderCallback {
  public:
    explicit CSkinClasses(ui::CPaintManagerUI& manager) : manager_(manager) {}
    std::unique_ptr<ui::CControlUI> CreateControl(std::string_view className) override;

  private:
    ui::CPaintManagerUI& manager_;
};

}  // namespace marlo::app
