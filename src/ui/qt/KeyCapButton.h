#pragma once

#include <QColor>
#include <QPushButton>
#include <QPixmap>

#include <array>

namespace marlo::ui {

class CControlUI;

// The peer of a key on a device drawing: a rounded cap in the key's colour with its legend,
// and a ring while it is selected. Device drawings change many of these many times a second
// (the lighting), so a cap keeps what it draws and paints it in one cheap pass, opaque: the
// widgets behind it are not painted again with it.
class KeyCapButton : public QPushButton {
  public:
    KeyCapButton(QColor behind, int radius, QWidget* parent);

    // What the cap shows, from its control's look; repaints only when something changed.
    void Take(const CControlUI& control, const QString& legend, int ringWidth);
    // Only the look changed: the legend and ring width stay.
    void Recolour(const CControlUI& control) { Take(control, legend_, ringWidthSet_); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    // A new font or scale draws the legend again.
    void changeEvent(QEvent* event) override;

  private:
    QColor behind_;  // the colour around the rounded corners
    int radius_;
    QColor fill_;
    QColor legendColour_;
    QColor ring_;
    int ringWidth_ = 0;     // drawn: 0 while the control has no border
    int ringWidthSet_ = 0;  // the ring's width when there is one
    QString legend_;
    // The legend drawn once in its colour and font, so that a repaint only copies it; the
    // legends of the last two colours are kept (a lit key's legend turns dark and back).
    QPixmap legendPicture_;
    QColor otherColour_;
    QPixmap otherPicture_;
    void DrawLegend();
    // The rounded corners: the colour behind the cap outside a quarter circle, clear inside,
    // laid over a plain fill (cheaper than filling a rounded shape on every frame).
    std::array<QPixmap, 4> corners_;  // top left, top right, bottom right, bottom left
    void DrawCorner();
};

}  // namespace marlo::ui
