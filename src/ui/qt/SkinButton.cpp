#include "ui/qt/SkinButton.h"

#include <QPainter>
#include <QStyleOptionButton>

#include "ui/ControlUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/SkinStyle.h"
#include "ui/qt/SkinPainter.h"

namespace marlo::ui {

namespace {

// Drawn where the skin says nothing of a state: a faint light for hot and pushed.
constexpr uint32_t kDefaultHot = 0x14FFFFFF;
constexpr uint32_t kDefaultPushed = 0x24FFFFFF;
constexpr QRgb kFocusRing = 0xFF2D7FF9;

}  // namespace

SkinButton::SkinButton(CControlUI* control, CPaintManagerUI& manager, QWidget* parent)
    : QPushButton(parent), control_(control), manager_(manager) {
    setAttribute(Qt::WA_Hover, true);
}

void SkinButton::paintEvent(QPaintEvent*) {
    SkinState state = SkinState::kNormal;
    if (!isEnabled()) {
        state = SkinState::kDisabled;
    } else if (isDown()) {
        state = SkinState::kPushed;
    } else if (isChecked()) {
        state = SkinState::kSelected;
    } else if (underMouse()) {
        state = SkinState::kHot;
    } else if (hasFocus()) {
        state = SkinState::kFocused;
    }
    SkinLook look = SkinLook::For(*control_, state);
    const SkinLook normal = SkinLook::For(*control_, SkinState::kNormal);
    if (look.background == normal.background && !look.image) {
        // A state the skin leaves alone still shows that the button reacts.
        if (state == SkinState::kHot && (look.background >> 24) == 0) {
            look.background = kDefaultHot;
        } else if (state == SkinState::kPushed && (look.background >> 24) == 0) {
            look.background = kDefaultPushed;
        }
    }
    if (look.roundX == 0 && !control_->GetAttribute("borderround")) {
        look.roundX = look.roundY = 4;  // the skin's buttons are round unless they say
    }
    const bool checkBox = dynamic_cast<CCheckBoxUI*>(control_) != nullptr;
    if (checkBox && look.roundX == 4 && !control_->GetAttribute("borderround")) {
        look.roundX = look.roundY = 0;
    }
    QPainter painter(this);
    const SkinPainter skin(manager_.GetDPI());
    skin.Paint(painter, rect(), look);
    QRect textArea = rect();
    if (checkBox && !look.image) {
        // A check box the skin draws no picture for: a box, filled and ticked when checked.
        const int side = manager_.Scale(14);
        const QRectF box(manager_.Scale(4), (height() - side) / 2.0, side, side);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(0xC8, 0xCD, 0xD4), 1.5));
        painter.setBrush(isChecked() ? QColor::fromRgba(kFocusRing) : QColor(Qt::transparent));
        painter.drawRoundedRect(box, 3, 3);
        if (isChecked()) {
            painter.setPen(QPen(Qt::white, manager_.Scale(2), Qt::SolidLine, Qt::RoundCap));
            painter.drawPolyline(QPolygonF({box.topLeft() + QPointF(side * 0.22, side * 0.52),
                                            box.topLeft() + QPointF(side * 0.42, side * 0.72),
                                            box.topLeft() + QPointF(side * 0.78, side * 0.3)}));
        }
        textArea.setLeft(static_cast<int>(box.right()) + manager_.Scale(4));
    }

    if (const QString label = text(); !label.isEmpty()) {
        QColor colour = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                        QPalette::ButtonText);
        if ((look.text >> 24) != 0) {
            colour = QColor::fromRgba(look.text);
        }
        if (!isEnabled()) {
            colour.setAlphaF(colour.alphaF() * 0.5f);
        }
        painter.setPen(colour);
        painter.setFont(font());
        const auto align = control_->GetAttribute("align");
        int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        flags |= (align && *align == "left") || (checkBox && !align) ? Qt::AlignLeft
                 : align && *align == "right"                        ? Qt::AlignRight
                                                                     : Qt::AlignHCenter;
        const int pad = manager_.Scale(4);
        painter.drawText(textArea.adjusted(pad, 0, -pad, 0), flags, label);
    }
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor::fromRgba(kFocusRing), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
}

}  // namespace marlo::ui
