#include "ui/qt/QtKeyHook.h"

#include <QKeyEvent>

namespace marlo::ui {
namespace {

// X11 key codes (evdev + 8) of the right-hand modifiers.
constexpr quint32 kRightShift = 62;
constexpr quint32 kRightControl = 105;
constexpr quint32 kRightAlt = 108;
constexpr quint32 kRightSuper = 134;

// Shifted symbols are the key they are typed on (a US layout).
uint32_t ShiftedKey(int key) {
    switch (key) {
        case Qt::Key_Exclam: return '1';
        case Qt::Key_At: return '2';
        case Qt::Key_NumberSign: return '3';
        case Qt::Key_Dollar: return '4';
        case Qt::Key_Percent: return '5';
        case Qt::Key_AsciiCircum: return '6';
        case Qt::Key_Ampersand: return '7';
        case Qt::Key_Asterisk: return '8';
        case Qt::Key_ParenLeft: return '9';
        case Qt::Key_ParenRight: return '0';
        case Qt::Key_Underscore: return 0xBD;
        case Qt::Key_Plus: return 0xBB;
        case Qt::Key_BraceLeft: return 0xDB;
        case Qt::Key_BraceRight: return 0xDD;
        case Qt::Key_Bar: return 0xDC;
        case Qt::Key_Colon: return 0xBA;
        case Qt::Key_QuoteDbl: return 0xDE;
        case Qt::Key_AsciiTilde: return 0xC0;
        case Qt::Key_Less: return 0xBC;
        case Qt::Key_Greater: return 0xBE;
        case Qt::Key_Question: return 0xBF;
        default: return 0;
    }
}

uint32_t KeypadKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return 0x60 + static_cast<uint32_t>(key - Qt::Key_0);
    }
    switch (key) {
        case Qt::Key_Asterisk: return 0x6A;
        case Qt::Key_Plus: return 0x6B;
        case Qt::Key_Minus: return 0x6D;
        case Qt::Key_Period: return 0x6E;
        case Qt::Key_Slash: return 0x6F;
        case Qt::Key_Enter: return 0x0D;
        default: return 0;
    }
}

}  // namespace

uint32_t QtKeyHook::VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    const bool right = event.nativeScanCode() == kRightShift ||
                       event.nativeScanCode() == kRightControl ||
                       event.nativeScanCode() == kRightAlt || event.nativeScanCode() == kRightSuper;
    if ((event.modifiers() & Qt::KeypadModifier) != 0) {
        if (const uint32_t vk = KeypadKey(key)) {
            return vk;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return 'A' + static_cast<uint32_t>(key - Qt::Key_A);
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return '0' + static_cast<uint32_t>(key - Qt::Key_0);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return 0x70 + static_cast<uint32_t>(key - Qt::Key_F1);
    }
    switch (key) {
        case Qt::Key_Shift: return right ? 0xA1 : 0xA0;
        case Qt::Key_Control: return right ? 0xA3 : 0xA2;
        case Qt::Key_Alt:
        case Qt::Key_AltGr: return right || key == Qt::Key_AltGr ? 0xA5 : 0xA4;
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R: return right || key == Qt::Key_Super_R ? 0x5C : 0x5B;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 0x0D;
        case Qt::Key_Escape: return 0x1B;
        case Qt::Key_Backspace: return 0x08;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return 0x09;
        case Qt::Key_Space: return 0x20;
        case Qt::Key_CapsLock: return 0x14;
        case Qt::Key_NumLock: return 0x90;
        case Qt::Key_ScrollLock: return 0x91;
        case Qt::Key_Pause: return 0x13;
        case Qt::Key_Print: return 0x2C;
        case Qt::Key_Insert: return 0x2D;
        case Qt::Key_Delete: return 0x2E;
        case Qt::Key_Home: return 0x24;
        case Qt::Key_End: return 0x23;
        case Qt::Key_PageUp: return 0x21;
        case Qt::Key_PageDown: return 0x22;
        case Qt::Key_Left: return 0x25;
        case Qt::Key_Up: return 0x26;
        case Qt::Key_Right: return 0x27;
        case Qt::Key_Down: return 0x28;
        case Qt::Key_Menu: return 0x5D;
        case Qt::Key_Minus: return 0xBD;
        case Qt::Key_Equal: return 0xBB;
        case Qt::Key_BracketLeft: return 0xDB;
        case Qt::Key_BracketRight: return 0xDD;
        case Qt::Key_Backslash: return 0xDC;
        case Qt::Key_Semicolon: return 0xBA;
        case Qt::Key_Apostrophe: return 0xDE;
        case Qt::Key_QuoteLeft: return 0xC0;
        case Qt::Key_Comma: return 0xBC;
        case Qt::Key_Period: return 0xBE;
        case Qt::Key_Slash: return 0xBF;
        case Qt::Key_VolumeUp: return 0xAF;
        case Qt::Key_VolumeDown: return 0xAE;
        case Qt::Key_VolumeMute: return 0xAD;
        case Qt::Key_MediaPlay:
        case Qt::Key_MediaTogglePlayPause: return 0xB3;
        case Qt::Key_MediaStop: return 0xB2;
        case Qt::Key_MediaPrevious: return 0xB1;
        case Qt::Key_MediaNext: return 0xB0;
        default: return ShiftedKey(key);
    }
}

bool QtKeyHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!watched->isWidgetType()) {
            return false;  // its window's delivery, before the widgets': the widgets' counts
        }
        // A key goes to the hook once, not once for each widget it is passed on to.
        const Seen seen{key->timestamp(), key->key(), key->nativeScanCode(), event->type()};
        if (seen == last_) {
            return false;
        }
        last_ = seen;
        return hook_({VirtualKeyOf(*key), event->type() == QEvent::KeyPress});
    }
    return false;
}

}  // namespace marlo::ui
