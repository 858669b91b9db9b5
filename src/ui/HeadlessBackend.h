#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "ui/DisplayBackend.h"

namespace marlo::ui {

// A display backend whose windows live in memory: for tests and the command line. It runs
// the UI thread's loop, keeps what a screen would show (windows, the front window, tray
// icons, open menus, fonts), and counts how often each control asked to be redrawn.
class HeadlessBackend : public IDisplayBackend {
  public:
    HeadlessBackend();
    ~HeadlessBackend() override;

    platform::MessageLoop& loop() override { return loop_; }
    void RunModal(const std::function<bool()>& done) override { loop_.RunUntil(done); }

    void WindowCreated(CWindowWnd* window) override;
    void WindowDestroyed(CWindowWnd* window) override;
    void WindowChanged(CWindowWnd*) override {}
    void BringToFront(CWindowWnd* window) override { front_ = window; }
    void TreeAttached(CPaintManagerUI*) override {}
    void DpiChanged(CPaintManagerUI*) override {}
    void ControlChanged(CPaintManagerUI*, CControlUI* control) override { ++redraws_[control]; }
    void ControlRemoved(CPaintManagerUI*, CControlUI* control) override { redraws_.erase(control); }

    UiRect ScreenRect() const override { return screen_; }
    int ScreenDpi() const override { return dpi_; }
    void SetScreen(UiRect screen, int dpi) {
        screen_ = screen;
        dpi_ = dpi;
    }

    bool TrayAvailable() const override { return trayAvailable_; }
    void SetTrayAvailable(bool available) { trayAvailable_ = available; }
    void TrayChanged(CTrayIcon* icon) override { trays_.insert(icon); }
    void TrayRemoved(CTrayIcon* icon) override { trays_.erase(icon); }

    void MenuShown(CMenuWnd* menu) override { menu_ = menu; }
    void MenuClosed(CMenuWnd* menu) override;

    std::string AddFontFromMemory(const std::vector<uint8_t>& data) override;
    void RemoveFont(const std::string& family) override { fonts_.erase(family); }
    bool OpenAddress(const std::string& address) override {
        openedAddresses_.push_back(address);
        return true;
    }
    const std::vector<std::string>& openedAddresses() const { return openedAddresses_; }
    // Every family counts as installed until a test names the installed ones.
    bool HasFontFamily(const std::string& family) const override {
        return !installedFamilies_ || installedFamilies_->contains(family) ||
               fonts_.contains(family);
    }
    void SetInstalledFamilies(std::set<std::string> families) {
        installedFamilies_ = std::move(families);
    }
    // The answer the person gives to the next file questions (nothing: they cancel), and the
    // questions asked so far.
    std::optional<std::string> ChooseFile(CWindowWnd* parent,
                                          const FileQuestion& question) override;
    void SetFileAnswer(std::optional<std::string> answer) { fileAnswer_ = std::move(answer); }
    void SetKeyHook(KeyHook hook) override { keyHook_ = std::move(hook); }
    bool keyHooked() const { return static_cast<bool>(keyHook_); }
    // Whether the person types into the program's windows (true) or elsewhere on the desktop.
    bool HasKeyFocus() const override { return keyFocus_; }
    void SetKeyFocus(bool focus) { keyFocus_ = focus; }
    // A key event through the hook, as the display would send it; true when it swallowed it.
    bool HookKey(const KeyHookEvent& event) { return keyHook_ && keyHook_(event); }
    const std::vector<FileQuestion>& fileQuestions() const { return fileQuestions_; }

    // What a person would see or do.
    const std::vector<CWindowWnd*>& windows() const { return windows_; }
    CWindowWnd* frontWindow() const { return front_; }
    const std::set<CTrayIcon*>& trayIcons() const { return trays_; }
    CMenuWnd* openMenu() const { return menu_; }
    const std::set<std::string>& fonts() const { return fonts_; }
    int Redraws(CControlUI* control) const;
    // Clicks every visible tray icon with this mouse message.
    void ClickTray(intptr_t mouseMessage);
    // Chooses an item of the open menu.
    bool ChooseMenuItem(const std::string& name);
    // Runs the loop for a while (timers and posted calls).
    void RunFor(uint32_t ms) { loop_.RunFor(ms); }

  private:
    KeyHook keyHook_;
    bool keyFocus_ = true;
    std::optional<std::string> fileAnswer_;
    std::vector<FileQuestion> fileQuestions_;
    platform::MessageLoop loop_;
    IDisplayBackend* previous_;
    std::vector<CWindowWnd*> windows_;
    CWindowWnd* front_ = nullptr;
    std::set<CTrayIcon*> trays_;
    CMenuWnd* menu_ = nullptr;
    std::set<std::string> fonts_;
    std::optional<std::set<std::string>> installedFamilies_;
    std::vector<std::string> openedAddresses_;
    std::map<CControlUI*, int> redraws_;
    UiRect screen_{0, 0, 1920, 1080};
    int dpi_ = 96;
    bool trayAvailable_ = true;
};

}  // namespace marlo::ui
