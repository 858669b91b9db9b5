#include "ui/qt/QtWindow.h"

#include <QKeyEvent>
#include <QPainterPath>
#include <QRegion>

#include <QCloseEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <charconv>

#include "ui/PaintManagerUI.h"
#include "ui/UIDefs.h"
#include "ui/WindowWnd.h"

namespace marlo::ui {

QtWindow::QtWindow(CWindowWnd* window)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), window_(window) {
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet("QtWindow{background-color:#16181D;} QWidget{color:#E8E8E8;}");
}

QtWindow::~QtWindow() = default;

void QtWindow::AttachTree(CPaintManagerUI* manager) {
    manager_ = manager;
    peers_ = std::make_unique<ControlPeers>(*manager, this);
    peers_->Build();
}

void QtWindow::Sync() {
    const UiRect& r = window_->GetRect();
    setWindowTitle(QString::fromStdString(window_->GetTitle()));
    if (geometry() != QRect(r.x, r.y, r.width, r.height)) {
        setGeometry(r.x, r.y, r.width, r.height);
    }
    if (window_->IsVisible() != isVisible()) {
        setVisible(window_->IsVisible());
    }
    if (isVisible()) {
        switch (window_->GetState()) {
            case CWindowWnd::State::kMinimized:
                if (!isMinimized())
                    showMinimized();
                break;
            case CWindowWnd::State::kMaximized:
                if (!isMaximized())
                    showMaximized();
                break;
            case CWindowWnd::State::kNormal:
                if (isMinimized() || isMaximized())
                    showNormal();
                break;
        }
    }
}

bool QtWindow::InCaption(const QPoint& pos) const {
    if (manager_ == nullptr) {
        return false;
    }
    // caption="left,top,right,bottom": the top `bottom` pixels drag the window.
    const std::string caption = manager_->GetWindowAttribute("caption");
    int values[4] = {0, 0, 0, 0};
    const char* p = caption.data();
    const char* end = p + caption.size();
    for (int& v : values) {
        const auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc())
            break;
        p = next < end ? next + 1 : end;
    }
    return pos.y() < manager_->Scale(values[3]);
}

void QtWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint()) &&
        windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        return;
    }
    QWidget::mousePressEvent(event);
}

void QtWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (watchingScreen_ || windowHandle() == nullptr) {
        return;
    }
    watchingScreen_ = true;
    // The toolkit learns of a new DPI as a Windows program does: WM_DPICHANGED with the DPI
    // in the low word of wParam.
    auto report = [this] {
        const QScreen* s = windowHandle()->screen();
        if (s == nullptr)
            return;
        const int dpi = static_cast<int>(s->logicalDotsPerInch() * s->devicePixelRatio());
        if (dpi != dpi_) {
            dpi_ = dpi;
            window_->PostMessage(kWmDpiChanged, static_cast<uintptr_t>(dpi | dpi << 16), 0);
        }
    };
    dpi_ = windowHandle()->screen() != nullptr
               ? static_cast<int>(windowHandle()->screen()->logicalDotsPerInch() *
                                  windowHandle()->screen()->devicePixelRatio())
               : 96;
    QObject::connect(windowHandle(), &QWindow::screenChanged, this, [this, report](QScreen* s) {
        if (s != nullptr) {
            QObject::connect(s, &QScreen::logicalDotsPerInchChanged, this, report);
        }
        report();
    });
    if (QScreen* s = windowHandle()->screen()) {
        QObject::connect(s, &QScreen::logicalDotsPerInchChanged, this, report);
    }
}

void QtWindow::closeEvent(QCloseEvent* event) {
    // The desktop asked to close: the toolkit window decides, as with its close button.
    event->ignore();
    window_->PostMessage(kWmClose, 0, 0);
}

void QtWindow::keyPressEvent(QKeyEvent* event) {
    uint32_t key = 0;
    switch (event->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            key = kVkTab;
            break;
        case Qt::Key_Space:
            key = kVkSpace;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            key = kVkReturn;
            break;
        case Qt::Key_Escape:
            key = kVkEscape;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    const bool shift =
        event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier) != 0;
    event->accept();
    window_->SendMessage(kWmKeyDown, key, shift ? kKeyShiftFlag : 0);
}

bool QtWindow::focusNextPrevChild(bool next) {
    window_->SendMessage(kWmKeyDown, kVkTab, next ? 0 : kKeyShiftFlag);
    return true;
}

void QtWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (manager_ == nullptr) {
        return;
    }
    const std::string round = manager_->GetWindowAttribute("roundcorner");
    int radius = 0;
    std::from_chars(round.data(), round.data() + round.size(), radius);
    if (radius <= 0 || isMaximized()) {
        clearMask();
        return;
    }
    QPainterPath shape;
    const qreal r = manager_->Scale(radius);
    shape.addRoundedRect(QRectF(rect()), r, r);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}

}  // namespace marlo::ui
