#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageLoop.h"

namespace marlo::ui {

// What a chosen menu item tells its owner window (kWmMenuCommand, as the message's payload).
struct MenuCmd {
    std::string name;
    std::string userData;
    std::string text;
    bool checked = false;
};

// A popup menu from an XML file:
//   <Menu><MenuElement name="exit" text="menu_exit" resourcetext="true" userdata=""/></Menu>
// shown at a point with alignment flags; the chosen item reaches the owner as a MenuCmd.
class CMenuWnd {
  public:
    // Where the menu lies relative to the point.
    enum Alignment : uint32_t {
        kAlignLeft = 1 << 1,
        kAlignTop = 1 << 2,
        kAlignRight = 1 << 3,
        kAlignBottom = 1 << 4,
        kAtPointer = 1 << 5  // at the pointer instead of x, y
    };

    struct Item {
        std::string name;
        std::string text;
        std::string userData;
        bool resourceText = false;
        bool checked = false;
        bool visible = true;
        bool enabled = true;
    };

    CMenuWnd() = default;
    ~CMenuWnd();
    CMenuWnd(const CMenuWnd&) = delete;
    CMenuWnd& operator=(const CMenuWnd&) = delete;

    // Reads the menu (relative names under the resource path) and shows it. False when the
    // file cannot be read.
    bool Init(platform::WindowHandle owner, const std::string& xml, int x, int y,
              uint32_t alignment);
    const std::vector<Item>& items() const { return items_; }
    std::string ShownText(const Item& item) const;
    int x() const { return x_; }
    int y() const { return y_; }
    uint32_t alignment() const { return alignment_; }
    bool IsOpen() const { return open_; }

    // The person chose an item: the owner gets the command, the menu closes. False for an
    // item that is missing, hidden or disabled.
    bool Choose(std::string_view name);
    void Close();

  private:
    platform::WindowHandle owner_ = 0;
    std::vector<Item> items_;
    int x_ = 0;
    int y_ = 0;
    uint32_t alignment_ = 0;
    bool open_ = false;
};

}  // namespace marlo::ui
