#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "online/UpdateCheck.h"
#include "online/UpdateItem.h"
#include "platform/WorkerThread.h"
#include "ui/WindowImplBase.h"

namespace marlo::app {

class CUpdateInfoListItemUI;

// The settings window: the language, and the update check of the program and the connected
// devices, which starts by itself each time the window opens and runs on a worker thread.
class CSetWnd : public ui::WindowImplBase {
  public:
    static constexpr int kBaseWidth = 630;
    static constexpr int kBaseHeight = 500;
    // From the update thread: a row's answer (payload RowAnswer), and the end of the check
    // (wParam the state).
    static constexpr uint32_t kRowAnswer = ui::kWmUser + 1;
    static constexpr uint32_t kCheckEnded = ui::kWmUser + 2;
    static constexpr uint32_t kLanguageChanged = 0xC11;
    static constexpr uint32_t kUpdateSeen = 0xC16;
    static constexpr uint32_t kStopWaitMs = 100;
    // Another program's request for an update check, handed on by the main window.
    static constexpr const char* kUpdateRequest = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";

    struct RowAnswer {
        size_t row = 0;
        online::UpdateResult result;
    };

    // `mainWindow` hears the language choices and the end of a check with nothing to update.
    CSetWnd(ui::CWindowWnd* mainWindow, int languageIndex, std::vector<online::UpdateItem> items);
    ~CSetWnd() override;

    std::string GetWindowClassName() const override { return "SetWnd"; }
    std::string GetSkinFile() override { return "XML_SET"; }
    std::unique_ptr<ui::CControlUI> CreateControl(std::string_view className) override;
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    bool OnEscape() override;

    // Sized for `dpi` and made ready; then the opener places it and runs it modally.
    void Prepare(int dpi);
    // Checks again (the update request of another program), unless a check runs.
    void StartCheck();
    void Leave();

    int state() const { return state_; }
    const std::string& lastCheckDate() const { return lastCheckDate_; }
    std::vector<CUpdateInfoListItemUI*> Rows();

  private:
    void ShowTitle();
    void FillLanguages();
    void ShowState(int state);
    void OnCheckEnded(int state);
    void OnChosenChanged();
    void MarkChosenForUpdate();

    ui::CWindowWnd* mainWindow_;
    int languageIndex_;
    const uint32_t updateRequest_;
    std::vector<online::UpdateItem> items_;
    std::string lastCheckDate_;
    int state_ = online::UpdateCheck::kChecking;
    bool checking_ = false;
    platform::WorkerThread worker_;
};

}  // namespace marlo::app
