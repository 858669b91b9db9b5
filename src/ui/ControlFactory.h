#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace marlo::ui {

class CControlUI;

// Classes the program adds to the toolkit, by class name ("CSelectPanelUI"). A skin element
// whose tag is the class name without "C" and "UI" ("SelectPanel") is built as that class.
class CControlFactory {
  public:
    using Creator = std::function<std::unique_ptr<CControlUI>()>;

    static CControlFactory& GetInstance();

    void RegistControl(const std::string& className, Creator creator);
    // Nothing for a class that is not registered.
    std::unique_ptr<CControlUI> CreateControl(std::string_view className) const;
    bool IsRegistered(std::string_view className) const;

  private:
    std::map<std::string, Creator, std::less<>> creators_;
};

}  // namespace marlo::ui
