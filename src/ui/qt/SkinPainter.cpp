#include "ui/qt/SkinPainter.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QPainterPath>

#include <map>
#include <utility>

#include "ui/PaintManagerUI.h"

namespace marlo::ui {

namespace {

QColor Colour(uint32_t argb) {
    return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF);
}

}  // namespace

QPixmap SkinPainter::Load(const std::string& file, bool large) {
    // UI thread only; a skin has a few dozen images.
    static std::map<std::pair<std::string, bool>, QPixmap> cache;
    const auto key = std::make_pair(file, large);
    if (const auto it = cache.find(key); it != cache.end()) {
        return it->second;
    }
    const std::string path = CPaintManagerUI::GetResourcePath() + file;
    QPixmap pixmap;
    if (large) {
        const size_t dot = path.rfind('.');
        if (dot != std::string::npos) {
            pixmap.load(QString::fromStdString(path.substr(0, dot) + "@2x" + path.substr(dot)));
            pixmap.setDevicePixelRatio(2.0);
        }
    }
    if (pixmap.isNull()) {
        pixmap.load(QString::fromStdString(path));
    }
    cache[key] = pixmap;
    return pixmap;
}

void SkinPainter::Paint(QPainter& painter, const QRect& rect, const SkinLook& look) const {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const qreal rx = Scale(look.roundX);
    const qreal ry = Scale(look.roundY);
    if ((look.background >> 24) != 0) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect), rx, ry);
        painter.fillPath(shape, Colour(look.background));
    }
    if (look.image) {
        PaintImage(painter, rect, *look.image);
    }
    if (look.borderSize > 0 && (look.border >> 24) != 0) {
        const qreal width = std::max(1, Scale(look.borderSize));
        painter.setPen(QPen(Colour(look.border), width));
        painter.setBrush(Qt::NoBrush);
        const qreal half = width / 2;
        painter.drawRoundedRect(QRectF(rect).adjusted(half, half, -half, -half), rx, ry);
    }
    if (look.foreImage) {
        PaintImage(painter, rect, *look.foreImage);
    }
}

void SkinPainter::PaintImage(QPainter& painter, const QRect& rect, const SkinImage& image) const {
    const QPixmap pixmap = Load(image.file, dpi_ > 96);
    if (pixmap.isNull()) {
        return;
    }
    const qreal ratio = pixmap.devicePixelRatio();
    const auto inFile = [ratio](int v) { return static_cast<int>(v * ratio); };
    QRect source = image.source ? QRect(inFile(image.source->x), inFile(image.source->y),
                                        inFile(image.source->width), inFile(image.source->height))
                                : pixmap.rect();
    source &= pixmap.rect();
    QRect target = rect;
    if (image.dest) {
        target = QRect(rect.x() + Scale(image.dest->x), rect.y() + Scale(image.dest->y),
                       Scale(image.dest->width), Scale(image.dest->height));
    }
    if (image.cornerLeft == 0 && image.cornerTop == 0 && image.cornerRight == 0 &&
        image.cornerBottom == 0) {
        painter.drawPixmap(target, pixmap, source);
        return;
    }
    const QMargins inTarget(Scale(image.cornerLeft), Scale(image.cornerTop),
                            Scale(image.cornerRight), Scale(image.cornerBottom));
    const QMargins inSource(inFile(image.cornerLeft), inFile(image.cornerTop),
                            inFile(image.cornerRight), inFile(image.cornerBottom));
    qDrawBorderPixmap(&painter, target, inTarget, pixmap, source, inSource);
}

}  // namespace marlo::ui
