#include "ui/qt/AreaSelector.h"

#include <QMouseEvent>
#include <QRubberBand>
#include <QWidget>

namespace marlo::ui {

AreaSelector::AreaSelector(QWidget* area, Done done)
    : QObject(area), area_(area), done_(std::move(done)) {
    area_->installEventFilter(this);
}

bool AreaSelector::eventFilter(QObject* watched, QEvent* event) {
    if (watched != area_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                return false;
            }
            origin_ = mouse->position().toPoint();
            if (band_ == nullptr) {
                band_ = new QRubberBand(QRubberBand::Rectangle, area_);
            }
            band_->setGeometry(QRect(origin_, QSize()));
            band_->show();
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (band_ == nullptr || !band_->isVisible()) {
                return false;
            }
            band_->setGeometry(QRect(origin_, mouse->position().toPoint()).normalized());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            if (band_ == nullptr || !band_->isVisible()) {
                return false;
            }
            const QRect area = band_->geometry();
            band_->hide();
            if (area.width() > 2 || area.height() > 2) {
                done_(area);
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace marlo::ui
