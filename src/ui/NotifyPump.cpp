#include "ui/NotifyPump.h"

namespace marlo::ui {

bool CNotifyPump::AddVirtualWnd(const std::string& name, CNotifyPump* pump) {
    return pump != nullptr && virtualWnds_.emplace(name, pump).second;
}

bool CNotifyPump::RemoveVirtualWnd(const std::string& name) {
    return virtualWnds_.erase(name) > 0;
}

void CNotifyPump::NotifyPump(TNotifyUI& msg) {
    if (!msg.sVirtualWnd.empty()) {
        if (const auto it = virtualWnds_.find(msg.sVirtualWnd); it != virtualWnds_.end()) {
            it->second->NotifyPump(msg);
            return;
        }
    }
    LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    const auto it = handlers_.find(msg.sType);
    if (it == handlers_.end()) {
        return false;
    }
    it->second(msg);
    return true;
}

void CNotifyPump::OnNotify(const std::string& type, std::function<void(TNotifyUI&)> handler) {
    handlers_[type] = std::move(handler);
}

}  // namespace marlo::ui
