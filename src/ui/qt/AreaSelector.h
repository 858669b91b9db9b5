#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QRubberBand;
class QWidget;

namespace marlo::ui {

// Lets the person drag a rectangle across a widget (from a point between its children) and
// reports the rectangle, in the widget's coordinates, when the button is released.
class AreaSelector : public QObject {
  public:
    using Done = std::function<void(const QRect& area)>;
    AreaSelector(QWidget* area, Done done);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* area_;
    Done done_;
    QRubberBand* band_ = nullptr;  // a child of the area while a drag goes on
    QPoint origin_;
};

}  // namespace marlo::ui
