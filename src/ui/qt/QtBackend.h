#pragma once

#include <QObject>

#include <map>
#include <memory>
#include <string>

#include "platform/MessageLoop.h"
#include "ui/DisplayBackend.h"

class QMenu;
class QSocketNotifier;
class QSystemTrayIcon;
class QTimer;

namespace marlo::ui {

class QtWindow;

// The display backend on Qt 6 Widgets: toolkit windows as top-level widgets with peers, the
// UI thread's message loop pumped from Qt's event loop (its fd and its next timer), the
// system tray, popup menus and application fonts. Create it after the QApplication.
class QtKeyHook;

class QtBackend : public IDisplayBackend {
  public:
    QtBackend();
    ~QtBackend() override;

    platform::MessageLoop& loop() override { return loop_; }
    void RunModal(const std::function<bool()>& done) override;

    void WindowCreated(CWindowWnd* window) override;
    void WindowDestroyed(CWindowWnd* window) override;
    void WindowChanged(CWindowWnd* window) override;
    void BringToFront(CWindowWnd* window) override;
    void TreeAttached(CPaintManagerUI* manager) override;
    void DpiChanged(CPaintManagerUI* manager) override;
    void ControlChanged(CPaintManagerUI* manager, CControlUI* control) override;
    void ControlRecoloured(CPaintManagerUI* manager, CControlUI* control) override;
    void ControlRemoved(CPaintManagerUI* manager, CControlUI* control) override;

    UiRect ScreenRect() const override;
    int ScreenDpi() const override;

    bool TrayAvailable() const override;
    void TrayChanged(CTrayIcon* icon) override;
    void TrayRemoved(CTrayIcon* icon) override;

    void MenuShown(CMenuWnd* menu) override;
    void MenuClosed(CMenuWnd* menu) override;

    std::string AddFontFromMemory(const std::vector<uint8_t>& data) override;
    void RemoveFont(const std::string& family) override;
    bool HasFontFamily(const std::string& family) const override;
    bool OpenAddress(const std::string& address) override;
    void SetKeyHook(KeyHook hook) override;
    bool HasKeyFocus() const override;
    std::optional<std::string> ChooseFile(CWindowWnd* parent,
                                          const FileQuestion& question) override;

    QtWindow* WidgetOf(CWindowWnd* window) const;
    // The program's icon (resource 107), drawn.
    static QIcon AppIcon();

  private:
    std::unique_ptr<QtKeyHook> keyHook_;
    void Pump();
    QtWindow* WidgetOf(CPaintManagerUI* manager) const;

    platform::MessageLoop loop_;
    IDisplayBackend* previous_;
    std::unique_ptr<QSocketNotifier> wake_;
    std::unique_ptr<QTimer> nextTimer_;
    std::map<CWindowWnd*, std::unique_ptr<QtWindow>> windows_;
    std::map<CTrayIcon*, std::unique_ptr<QSystemTrayIcon>> trays_;
    std::map<CMenuWnd*, QMenu*> menus_;
    std::map<std::string, int> fonts_;  // family -> Qt font id
    QObject context_;
};

}  // namespace marlo::ui
