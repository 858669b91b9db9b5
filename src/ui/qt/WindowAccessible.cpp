#include "ui/qt/WindowAccessible.h"

#include <QAccessibleWidget>

#include "ui/WindowWnd.h"
#include "ui/qt/QtWindow.h"

namespace marlo::ui {

namespace {

class WindowAccessible : public QAccessibleWidget {
  public:
    WindowAccessible(QtWindow* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return widget()->windowTitle();
        }
        return QAccessibleWidget::text(t);
    }
};

}  // namespace

QAccessibleInterface* WindowAccessibleFactory(const QString&, QObject* object) {
    auto* window = dynamic_cast<QtWindow*>(object);
    if (window == nullptr || window->window() == nullptr) {
        return nullptr;
    }
    const bool main = window->window()->GetWindowClassName() == "MainWnd";
    return new WindowAccessible(window, main ? QAccessible::Window : QAccessible::Dialog);
}

}  // namespace marlo::ui
