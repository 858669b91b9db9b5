#include "ui/qt/ColorField.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/ColorPaletteUI.h"
#include "ui/qt/QtKeyHook.h"

namespace marlo::ui {

ColorField::ColorField(CColorPaletteUI* control, QWidget* parent)
    : QWidget(parent), control_(control) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setMinimumSize(120, 60);
}

void ColorField::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QSize size = this->size() * ratio;
    if (field_.size() != size && !size.isEmpty()) {
        field_ = QImage(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(field_.scanLine(y));
            const double fy = size.height() > 1 ? double(y) / (size.height() - 1) : 0.5;
            for (int x = 0; x < size.width(); ++x) {
                line[x] = CColorPaletteUI::ColourAt(double(x) / size.width(), fy);
            }
        }
        field_.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    painter.drawImage(0, 0, field_);
    if (!isEnabled()) {
        painter.fillRect(rect(), QColor(0x1E, 0x21, 0x27, 160));
        return;
    }
    double x = 0;
    double y = 0;
    CColorPaletteUI::PlaceOf(control_->GetSelectColor(), &x, &y);
    const QPointF at(x * width(), y * height());
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawEllipse(at, 6, 6);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(at, 6, 6);
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(0x2D, 0x7F, 0xF9), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void ColorField::PickAt(QPointF point) {
    control_->PickColor(CColorPaletteUI::ColourAt(point.x() / std::max(1, width()),
                                                  point.y() / std::max(1, height() - 1)));
    update();
}

void ColorField::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        PickAt(event->position());
    }
}

void ColorField::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        PickAt(event->position());
    }
}

void ColorField::keyPressEvent(QKeyEvent* event) {
    TEventUI e{UiEventType::kKeyDown, QtKeyHook::VirtualKeyOf(*event)};
    const uint32_t before = control_->GetSelectColor();
    control_->DoEvent(e);
    if (control_->GetSelectColor() != before) {
        update();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace marlo::ui
