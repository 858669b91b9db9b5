#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace marlo::ui {

// What a screen reader is told a toolkit window is: the main window a frame, every other
// window (message box, settings, palette) a dialog. Installed once with the Qt backend.
QAccessibleInterface* WindowAccessibleFactory(const QString& className, QObject* object);

}  // namespace marlo::ui
