#pragma once

#include <QPixmap>
#include <QRect>

#include <string>

#include "ui/SkinStyle.h"

class QPainter;

namespace marlo::ui {

// Draws what a skin look says into a rectangle: the background (with round corners), the
// image (a part of its file, at its place, its corners kept while the middle stretches), the
// border, then the fore image. Sizes in the look are at 96 DPI and drawn at `dpi`; an image
// drawn larger than its file is taken from the file's "@2x" twin when there is one.
class SkinPainter {
  public:
    explicit SkinPainter(int dpi) : dpi_(dpi) {}

    void Paint(QPainter& painter, const QRect& rect, const SkinLook& look) const;
    // The file of the skin (under the resource path), from a cache; null when unreadable.
    static QPixmap Load(const std::string& file, bool large);

  private:
    void PaintImage(QPainter& painter, const QRect& rect, const SkinImage& image) const;
    int Scale(int value) const { return value * dpi_ / 96; }

    int dpi_;
};

}  // namespace marlo::ui
