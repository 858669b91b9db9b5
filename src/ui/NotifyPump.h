#pragma once

#include <functional>
#include <map>
#include <string>

#include "ui/UIDefs.h"

namespace marlo::ui {

// Routes notifications by type to handlers (the message map), and to other pumps registered
// as virtual windows: a notification from a control inside an element with
// virtualwnd="name" goes to the pump registered under that name.
class CNotifyPump {
  public:
    virtual ~CNotifyPump() = default;

    bool AddVirtualWnd(const std::string& name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const std::string& name);
    // Dispatches to the virtual window of the message, else to this pump's own map.
    void NotifyPump(TNotifyUI& msg);
    // This pump's own map only; false when no handler took the type.
    bool LoopDispatch(TNotifyUI& msg);

  protected:
    // Adds a message-map entry.
    void OnNotify(const std::string& type, std::function<void(TNotifyUI&)> handler);

  private:
    std::map<std::string, CNotifyPump*> virtualWnds_;
    std::map<std::string, std::function<void(TNotifyUI&)>> handlers_;
};

}  // namespace marlo::ui
