#pragma once

#include <QImage>
#include <QWidget>

namespace marlo::ui {

class CColorPaletteUI;

// The peer of a colour palette: the field of colours, drawn once per size, with a ring on the
// selected colour. A click or a drag picks the colour under the pointer; the arrow keys move
// the pick (the control handles them).
class ColorField : public QWidget {
  public:
    ColorField(CColorPaletteUI* control, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void PickAt(QPointF point);
    CColorPaletteUI* control_;
    QImage field_;  // the colours at the widget's size in device pixels
};

}  // namespace marlo::ui
