#pragma once

#include "ui/ContainerUI.h"

namespace marlo::devices {

// The picture of a device on its page: a container of the device's key and light buttons
// ("key_<n>", "light_<n>"), which the device object binds by name.
class CSelectPanelUI : public ui::CContainerUI {
  public:
    std::string_view GetClass() const override { return "SelectPanelUI"; }
};

}  // namespace marlo::devices
