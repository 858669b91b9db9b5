#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/ControlUI.h"
#include "ui/DialogBuilder.h"
#include "ui/HeadlessBackend.h"
#include "ui/HeadlessUser.h"
#include "ui/PaintManagerUI.h"

namespace marlo::ui::test {

// A window's manager with a tree built from XML text, and a recorder of its notifications.
class ToolkitFixture : public ::testing::Test, public INotifyUI {
  protected:
    void Build(const std::string& xml) {
        CDialogBuilder builder;
        manager_.AttachDialog(builder.CreateFromText(xml, "test.xml", nullptr, &manager_));
        errors_ = builder.errors();
        manager_.AddNotifier(this);
    }
    void Notify(TNotifyUI& msg) override {
        if (msg.sType == notify::kTimer) {
            return;
        }
        seen_.push_back(msg.sType + ":" + (msg.pSender ? msg.pSender->GetName() : "-"));
    }
    std::vector<std::string> Take() { return std::exchange(seen_, {}); }
    template <typename T>
    T* Find(std::string_view name) {
        return manager_.Find<T>(name);
    }

    HeadlessBackend backend_;
    CPaintManagerUI manager_;
    HeadlessUser user_{manager_};
    std::vector<std::string> errors_;
    std::vector<std::string> seen_;
};

}  // namespace marlo::ui::test
