#include "ui/qt/KeyCapButton.h"

#include <QEvent>
#include <QImage>
#include <QPainter>

#include <utility>

#include "ui/ControlUI.h"

namespace marlo::ui {

namespace {

constexpr QRgb kHotLight = 0x18FFFFFF;

}  // namespace

KeyCapButton::KeyCapButton(QColor behind, int radius, QWidget* parent)
    : QPushButton(parent), behind_(behind), radius_(radius) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setAttribute(Qt::WA_Hover, true);
    DrawCorner();
}

void KeyCapButton::DrawCorner() {
    const qreal ratio = devicePixelRatioF();
    QImage corner(QSize(radius_, radius_) * ratio, QImage::Format_ARGB32_Premultiplied);
    corner.fill(behind_);
    {
        QPainter painter(&corner);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        const qreal r = radius_ * ratio;
        painter.drawEllipse(QRectF(0, 0, 2 * r, 2 * r));  // clear inside: the top left corner
    }
    const QImage flipped[4] = {corner, corner.mirrored(true, false), corner.mirrored(true, true),
                               corner.mirrored(false, true)};
    for (size_t i = 0; i < corners_.size(); ++i) {
        corners_[i] = QPixmap::fromImage(flipped[i]);
        corners_[i].setDevicePixelRatio(ratio);
    }
}

void KeyCapButton::Take(const CControlUI& control, const QString& legend, int ringWidth) {
    ringWidthSet_ = ringWidth;
    // A cap has no pictures and no states of its own: its three colours and whether it has
    // a ring are all it takes from the control.
    const QColor fill = QColor::fromRgba(control.GetColorAttribute("bkcolor"));
    const QColor text = QColor::fromRgba(control.GetColorAttribute("textcolor"));
    const QColor ring = QColor::fromRgba(control.GetColorAttribute("bordercolor"));
    const auto border = control.GetAttribute("bordersize");
    const int width = border && *border != "0" ? ringWidth : 0;
    if (fill == fill_ && text == legendColour_ && ring == ring_ && width == ringWidth_ &&
        legend == legend_) {
        return;
    }
    fill_ = fill;
    ring_ = ring;
    ringWidth_ = width;
    if (legend != legend_) {
        legend_ = legend;
        legendColour_ = text;
        setText(legend);  // for screen readers
        otherPicture_ = QPixmap();
        DrawLegend();
    } else if (text != legendColour_) {
        std::swap(legendColour_, otherColour_);
        std::swap(legendPicture_, otherPicture_);
        if (legendColour_ != text || legendPicture_.isNull()) {
            legendColour_ = text;
            DrawLegend();
        }
    }
    update();
}

void KeyCapButton::DrawLegend() {
    legendPicture_ = QPixmap();
    if (legend_.isEmpty()) {
        return;
    }
    const QFontMetrics metrics(font());
    const QSize size(metrics.horizontalAdvance(legend_) + 2, metrics.height());
    const qreal ratio = devicePixelRatioF();
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(legendColour_);
    painter.setFont(font());
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, legend_);
    legendPicture_ = picture;
}

void KeyCapButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ScreenChangeInternal) {
        otherPicture_ = QPixmap();
        DrawLegend();
        DrawCorner();
        update();
    }
}

void KeyCapButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, fill_);
    if (underMouse() || isDown()) {
        painter.fillRect(area, QColor::fromRgba(kHotLight));
    }
    const int w = area.width();
    const int h = area.height();
    const int r = radius_;
    painter.drawPixmap(0, 0, corners_[0]);
    painter.drawPixmap(w - r, 0, corners_[1]);
    painter.drawPixmap(w - r, h - r, corners_[2]);
    painter.drawPixmap(0, h - r, corners_[3]);
    if (ringWidth_ > 0 && ring_.alpha() != 0) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        const qreal half = ringWidth_ / 2.0;
        painter.setPen(QPen(ring_, ringWidth_));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(area).adjusted(half, half, -half, -half), radius_,
                                radius_);
    }
    if (!legendPicture_.isNull()) {
        const QSizeF size = legendPicture_.deviceIndependentSize();
        painter.drawPixmap(QPointF((w - size.width()) / 2, (h - size.height()) / 2),
                           legendPicture_);
    }
}

}  // namespace marlo::ui
