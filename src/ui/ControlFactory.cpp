#include "ui/ControlFactory.h"

#include "ui/ControlUI.h"

namespace marlo::ui {

CControlFactory& CControlFactory::GetInstance() {
    static CControlFactory factory;
    return factory;
}

void CControlFactory::RegistControl(const std::string& className, Creator creator) {
    creators_[className] = std::move(creator);
}

std::unique_ptr<CControlUI> CControlFactory::CreateControl(std::string_view className) const {
    const auto it = creators_.find(className);
    return it == creators_.end() ? nullptr : it->second();
}

bool CControlFactory::IsRegistered(std::string_view className) const {
    return creators_.find(className) != creators_.end();
}

}  // namespace marlo::ui
