#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace marlo::platform {
class MessageLoop;
}

namespace marlo::ui {

class CControlUI;
class CMenuWnd;
class CPaintManagerUI;
class CTrayIcon;
class CWindowWnd;

struct UiRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const UiRect&) const = default;
};

// What shows the control tree to a person: native windows, peers that mirror controls,
// the UI thread's loop (posted calls, timers, modal loops), the tray and menus, fonts. The
// control tree is the one source of truth; a backend only mirrors it and turns the person's
// input into the controls' own events. Headless (tests, the command line) or Qt.
class IDisplayBackend {
  public:
    virtual ~IDisplayBackend() = default;

    virtual platform::MessageLoop& loop() = 0;
    // Runs the UI thread's events until `done` is true (a modal window's nested loop).
    virtual void RunModal(const std::function<bool()>& done) = 0;

    virtual void WindowCreated(CWindowWnd* window) = 0;
    virtual void WindowDestroyed(CWindowWnd* window) = 0;
    // Visibility, title, geometry or icon changed.
    virtual void WindowChanged(CWindowWnd* window) = 0;
    virtual void BringToFront(CWindowWnd* window) = 0;
    // The window's control tree was attached or replaced.
    virtual void TreeAttached(CPaintManagerUI* manager) = 0;
    // What a control shows changed.
    virtual void ControlChanged(CPaintManagerUI* manager, CControlUI* control) = 0;
    // Only the colours a control is drawn in changed (nothing of its text, state or size):
    // a backend may just draw it again.
    virtual void ControlRecoloured(CPaintManagerUI* manager, CControlUI* control) {
        ControlChanged(manager, control);
    }
    // The window's DPI changed: sizes and fonts are laid out again.
    virtual void DpiChanged(CPaintManagerUI* manager) = 0;
    // A control leaves its window's tree (its peer goes).
    virtual void ControlRemoved(CPaintManagerUI* manager, CControlUI* control) = 0;

    virtual UiRect ScreenRect() const = 0;
    // Pixels per inch of the screen the program starts on.
    virtual int ScreenDpi() const = 0;

    // False when the desktop has no notification area to put an icon in.
    virtual bool TrayAvailable() const = 0;
    virtual void TrayChanged(CTrayIcon* icon) = 0;
    virtual void TrayRemoved(CTrayIcon* icon) = 0;

    virtual void MenuShown(CMenuWnd* menu) = 0;
    virtual void MenuClosed(CMenuWnd* menu) = 0;

    // Makes a font available to the program only; its family name, or empty when refused.
    virtual std::string AddFontFromMemory(const std::vector<uint8_t>& data) = 0;
    virtual void RemoveFont(const std::string& family) = 0;
    // Opens a web address in the person's browser; false when the desktop could not.
    virtual bool OpenAddress(const std::string& address) = 0;
    // Whether text can be drawn in this family (installed on the system or added above).
    virtual bool HasFontFamily(const std::string& family) const = 0;

    // Asks the person for a file to open (or, with `save`, to write), modally over `parent`.
    // `filter` is "Description(*.ext)". Nothing when they cancel.
    struct FileQuestion {
        bool save = false;
        std::string title;
        std::string filter;
        std::string suggestedName;
    };
    virtual std::optional<std::string> ChooseFile(CWindowWnd* parent,
                                                  const FileQuestion& question) = 0;

    // A key of the program's windows going down or up, as a keyboard hook sees it: its
    // Windows virtual-key code (0 for a key that has none).
    struct KeyHookEvent {
        uint32_t virtualKey = 0;
        bool down = true;
    };
    using KeyHook = std::function<bool(const KeyHookEvent&)>;
    // Every key event of the program's windows goes to the hook first; when it answers true
    // the event goes no further. An empty hook removes it.
    virtual void SetKeyHook(KeyHook hook) = 0;
    // True while one of the program's windows has the keyboard focus (its keys reach the hook).
    virtual bool HasKeyFocus() const = 0;
};

}  // namespace marlo::ui
