#pragma once

#include <vector>

#include "ui/ContainerUI.h"

namespace marlo::pages {

// The picture of a device on its page: a container of the device's key and light buttons
// ("key_<n>", "light_<n>"), which the device object binds by name. With areaselect="true" the
// person may drag across keys: they are marked and "click_select_end" tells it.
class CSelectPanelUI : public ui::CContainerUI {
  public:
    static constexpr const char* kSelectEnd = "click_select_end";

    std::string_view GetClass() const override { return "SelectPanelUI"; }
    // The keys among `inside` are marked and kept as the selection; the notification follows.
    void SelectArea(const std::vector<ui::CControlUI*>& inside) override;
    // The key positions last selected, in the order found.
    const std::vector<int>& selectedKeys() const { return selected_; }
    // The marks of the last selection go.
    void ClearSelection();

  private:
    std::vector<int> selected_;
};

}  // namespace marlo::pages
