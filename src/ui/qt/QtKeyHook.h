#pragma once

#include <QEvent>
#include <QObject>

#include "ui/DisplayBackend.h"

class QKeyEvent;

namespace marlo::ui {

// The keyboard hook of the Qt display: an application-wide event filter that hands every key
// press and release of the program's windows to the hook, as Windows virtual-key codes.
class QtKeyHook : public QObject {
  public:
    explicit QtKeyHook(IDisplayBackend::KeyHook hook) : hook_(std::move(hook)) {}

    // The virtual-key code of a key event (0 for a key that has none): by the key, with the
    // left and right modifiers told apart by the key's place on the keyboard.
    static uint32_t VirtualKeyOf(const QKeyEvent& event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Seen {
        quint64 timestamp = 0;
        int key = 0;
        quint32 scanCode = 0;
        int type = 0;
        bool operator==(const Seen&) const = default;
    };
    IDisplayBackend::KeyHook hook_;
    Seen last_;
};

}  // namespace marlo::ui
