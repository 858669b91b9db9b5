#include "ui/qt/QtBackend.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

#include "ui/MenuWnd.h"
#include "ui/PaintManagerUI.h"
#include "ui/TrayIcon.h"
#include "ui/WindowWnd.h"
#include "ui/qt/QtKeyHook.h"
#include "ui/qt/QtWindow.h"
#include "ui/qt/WindowAccessible.h"

namespace marlo::ui {

QtBackend::QtBackend()
    : previous_(CPaintManagerUI::GetBackend()),
      wake_(std::make_unique<QSocketNotifier>(loop_.fd(), QSocketNotifier::Read)),
      nextTimer_(std::make_unique<QTimer>()) {
    nextTimer_->setSingleShot(true);
    QObject::connect(wake_.get(), &QSocketNotifier::activated, &context_, [this] { Pump(); });
    QObject::connect(nextTimer_.get(), &QTimer::timeout, &context_, [this] { Pump(); });
    CPaintManagerUI::SetBackend(this);
    QAccessible::installFactory(&WindowAccessibleFactory);
    // Posted calls made before the loop runs.
    QTimer::singleShot(0, &context_, [this] { Pump(); });
}

QtBackend::~QtBackend() {
    QAccessible::removeFactory(&WindowAccessibleFactory);
    menus_.clear();
    trays_.clear();
    windows_.clear();
    CPaintManagerUI::SetBackend(previous_);
}

void QtBackend::Pump() {
    const uint32_t next = loop_.Pump();
    if (next == platform::kInfinite) {
        nextTimer_->stop();
    } else {
        nextTimer_->start(static_cast<int>(std::min<uint32_t>(next, 1u << 30)));
    }
    if (loop_.quitting()) {
        QCoreApplication::exit(0);
    }
}

void QtBackend::RunModal(const std::function<bool()>& done) {
    QEventLoop modal;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &modal, [&] {
        if (done() || loop_.quitting())
            modal.quit();
    });
    check.start(10);
    if (!done()) {
        modal.exec();
    }
}

void QtBackend::WindowCreated(CWindowWnd* window) {
    auto widget = std::make_unique<QtWindow>(window);
    widget->setWindowIcon(AppIcon());
    widget->Sync();
    windows_[window] = std::move(widget);
}

void QtBackend::WindowDestroyed(CWindowWnd* window) {
    if (const auto it = windows_.find(window); it != windows_.end()) {
        it->second->hide();
        it->second.release()->deleteLater();
        windows_.erase(it);
    }
}

void QtBackend::WindowChanged(CWindowWnd* window) {
    if (QtWindow* w = WidgetOf(window)) {
        w->Sync();
    }
}

void QtBackend::BringToFront(CWindowWnd* window) {
    if (QtWindow* w = WidgetOf(window)) {
        w->Sync();
        w->showNormal();
        w->raise();
        w->activateWindow();
    }
}

QtWindow* QtBackend::WidgetOf(CWindowWnd* window) const {
    const auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.get();
}

QtWindow* QtBackend::WidgetOf(CPaintManagerUI* manager) const {
    return manager == nullptr ? nullptr : WidgetOf(manager->GetWindow());
}

void QtBackend::TreeAttached(CPaintManagerUI* manager) {
    if (QtWindow* w = WidgetOf(manager)) {
        w->AttachTree(manager);
    }
}

void QtBackend::DpiChanged(CPaintManagerUI* manager) {
    if (QtWindow* w = WidgetOf(manager); w != nullptr && w->peers() != nullptr) {
        w->peers()->Rescale();
    }
}

void QtBackend::ControlChanged(CPaintManagerUI* manager, CControlUI* control) {
    if (QtWindow* w = WidgetOf(manager); w != nullptr && w->peers() != nullptr) {
        w->peers()->Update(control);
    }
}

void QtBackend::ControlRecoloured(CPaintManagerUI* manager, CControlUI* control) {
    if (QtWindow* w = WidgetOf(manager); w != nullptr && w->peers() != nullptr) {
        w->peers()->Recolour(control);
    }
}

void QtBackend::ControlRemoved(CPaintManagerUI* manager, CControlUI* control) {
    if (QtWindow* w = WidgetOf(manager); w != nullptr && w->peers() != nullptr) {
        w->peers()->Remove(control);
    }
}

UiRect QtBackend::ScreenRect() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return UiRect{0, 0, 1920, 1080};
    }
    const QRect r = screen->availableGeometry();
    return UiRect{r.x(), r.y(), r.width(), r.height()};
}

int QtBackend::ScreenDpi() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen == nullptr
               ? 96
               : static_cast<int>(screen->logicalDotsPerInch() * screen->devicePixelRatio());
}

bool QtBackend::TrayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtBackend::TrayChanged(CTrayIcon* icon) {
    auto& tray = trays_[icon];
    if (!tray) {
        tray = std::make_unique<QSystemTrayIcon>(AppIcon());
        QObject::connect(tray.get(), &QSystemTrayIcon::activated, &context_,
                         [icon](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger) {
                                 icon->OnClick(kWmLButtonUp);
                             } else if (reason == QSystemTrayIcon::Context) {
                                 icon->OnClick(kWmRButtonUp);
                             }
                         });
    }
    tray->setToolTip(QString::fromStdString(icon->GetTooltipText()));
    tray->show();
}

void QtBackend::TrayRemoved(CTrayIcon* icon) {
    trays_.erase(icon);
}

void QtBackend::MenuShown(CMenuWnd* menu) {
    auto* popup = new QMenu();
    popup->setAttribute(Qt::WA_DeleteOnClose);
    for (const CMenuWnd::Item& item : menu->items()) {
        if (!item.visible)
            continue;
        QAction* action = popup->addAction(QString::fromStdString(menu->ShownText(item)));
        action->setEnabled(item.enabled);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        QObject::connect(action, &QAction::triggered, &context_,
                         [menu, name = item.name] { menu->Choose(name); });
    }
    QObject::connect(popup, &QMenu::aboutToHide, &context_, [this, menu] {
        // Closing without a choice; a choice closes the menu itself first.
        QTimer::singleShot(0, &context_, [this, menu] {
            if (menus_.contains(menu))
                menu->Close();
        });
    });
    menus_[menu] = popup;
    QPoint at = (menu->alignment() & CMenuWnd::kAtPointer) != 0 ? QCursor::pos()
                                                                 : QPoint(menu->x(), menu->y());
    if (menu->alignment() & CMenuWnd::kAlignBottom)
        at.ry() -= popup->sizeHint().height();
    if (menu->alignment() & CMenuWnd::kAlignRight)
        at.rx() -= popup->sizeHint().width();
    popup->popup(at);
}

void QtBackend::MenuClosed(CMenuWnd* menu) {
    if (const auto it = menus_.find(menu); it != menus_.end()) {
        QMenu* popup = it->second;
        menus_.erase(it);
        popup->close();
    }
}

std::string QtBackend::AddFontFromMemory(const std::vector<uint8_t>& data) {
    const int id = QFontDatabase::addApplicationFontFromData(QByteArray(
        reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())));
    if (id < 0) {
        return {};
    }
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    const std::string family =
        families.isEmpty() ? "font-" + std::to_string(id) : families.front().toStdString();
    fonts_[family] = id;
    return family;
}

void QtBackend::RemoveFont(const std::string& family) {
    if (const auto it = fonts_.find(family); it != fonts_.end()) {
        QFontDatabase::removeApplicationFont(it->second);
        fonts_.erase(it);
    }
}

bool QtBackend::OpenAddress(const std::string& address) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

bool QtBackend::HasFontFamily(const std::string& family) const {
    return QFontDatabase::hasFamily(QString::fromStdString(family));
}

QIcon QtBackend::AppIcon() {
    // The skin's icon at both its sizes; drawn here only when the skin has none.
    QIcon icon;
    const std::string base = CPaintManagerUI::GetResourcePath() + "common/app_icon";
    icon.addFile(QString::fromStdString(base + ".png"));
    icon.addFile(QString::fromStdString(base + "@2x.png"));
    if (!icon.availableSizes().isEmpty()) {
        return icon;
    }
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x2D, 0x7F, 0xF9));
    p.setPen(Qt::NoPen);
    p.drawEllipse(2, 2, 60, 60);
    p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(
        QPolygon({QPoint(16, 44), QPoint(16, 20), QPoint(32, 36), QPoint(48, 20), QPoint(48, 44)}));
    return QIcon(pixmap);
}

void QtBackend::SetKeyHook(KeyHook hook) {
    if (keyHook_ != nullptr) {
        QCoreApplication::instance()->removeEventFilter(keyHook_.get());
        keyHook_.reset();
    }
    if (hook && QCoreApplication::instance() != nullptr) {
        keyHook_ = std::make_unique<QtKeyHook>(std::move(hook));
        QCoreApplication::instance()->installEventFilter(keyHook_.get());
    }
}

bool QtBackend::HasKeyFocus() const { return QGuiApplication::focusWindow() != nullptr; }

std::optional<std::string> QtBackend::ChooseFile(CWindowWnd* parent, const FileQuestion& question) {
    QWidget* owner = WidgetOf(parent);
    const QString title = QString::fromStdString(question.title);
    const QString filter = QString::fromStdString(question.filter);
    const QString suggested = QString::fromStdString(question.suggestedName);
    const QString chosen = question.save
                               ? QFileDialog::getSaveFileName(owner, title, suggested, filter)
                               : QFileDialog::getOpenFileName(owner, title, suggested, filter);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

}  // namespace marlo::ui
