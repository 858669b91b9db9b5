#include "ui/qt/ControlPeers.h"

#include "ui/ListItem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <vector>

#include "ui/ColorPaletteUI.h"
#include "ui/ContainerUI.h"
#include "ui/EditUI.h"
#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/ProgressUI.h"
#include "ui/SkinImage.h"
#include "ui/TabLayoutUI.h"
#include "ui/qt/AreaSelector.h"
#include "ui/qt/ColorField.h"
#include "ui/qt/KeyCapButton.h"
#include "ui/qt/QtWindow.h"
#include "ui/qt/SkinButton.h"
#include "ui/qt/SkinPainter.h"

namespace marlo::ui {
namespace {

// Where a container's children go: the peer itself, or the page of a scrolling one.
QWidget* ContentOf(QWidget* peer) {
    if (auto* scroll = qobject_cast<QScrollArea*>(peer)) {
        return scroll->widget();
    }
    return peer;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::vector<int> Numbers(const std::string& text) {
    std::vector<int> numbers;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        int n = 0;
        const auto [next, ec] = std::from_chars(p, end, n);
        if (ec == std::errc()) {
            numbers.push_back(n);
            p = next;
        } else {
            ++p;
        }
    }
    return numbers;
}

QString Rgba(uint32_t argb) {
    return QString("rgba(%1,%2,%3,%4)")
        .arg((argb >> 16) & 0xFF)
        .arg((argb >> 8) & 0xFF)
        .arg(argb & 0xFF)
        .arg((argb >> 24) & 0xFF);
}

// A Windows virtual-key code for the keys the controls act on.
uint32_t VirtualKey(int key) {
    switch (key) {
        case Qt::Key_Backspace:
            return kVkBack;
        case Qt::Key_Tab:
            return kVkTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kVkReturn;
        case Qt::Key_Escape:
            return kVkEscape;
        case Qt::Key_End:
            return kVkEnd;
        case Qt::Key_Home:
            return kVkHome;
        case Qt::Key_Left:
            return kVkLeft;
        case Qt::Key_Up:
            return kVkUp;
        case Qt::Key_Right:
            return kVkRight;
        case Qt::Key_Down:
            return kVkDown;
        case Qt::Key_Delete:
            return kVkDelete;
        default:
            return 0;
    }
}

// Turns the person's input on a peer into the control's own events.
class PeerInput : public QObject {
  public:
    PeerInput(CControlUI* control, QObject* parent) : QObject(parent), control_(control) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::FocusIn:
                if (control_->IsFocusable()) {
                    control_->SetFocus();
                }
                return false;
            case QEvent::KeyPress: {
                if (dynamic_cast<CEditUI*>(control_) == nullptr) {
                    return false;
                }
                auto* key = static_cast<QKeyEvent*>(event);
                if (const uint32_t vk = VirtualKey(key->key())) {
                    TEventUI e{UiEventType::kKeyDown, vk};
                    control_->DoEvent(e);
                    return true;
                }
                for (const char32_t c : key->text().toUcs4()) {
                    TEventUI e{UiEventType::kChar, static_cast<uint32_t>(c)};
                    control_->DoEvent(e);
                }
                return !key->text().isEmpty();
            }
            case QEvent::MouseButtonRelease:
                if (dynamic_cast<IListItemUI*>(control_) != nullptr) {
                    TEventUI e{UiEventType::kButtonUp};
                    control_->DoEvent(e);
                    return true;
                }
                return false;
            case QEvent::MouseButtonDblClick:
                if (dynamic_cast<IListItemUI*>(control_) != nullptr) {
                    TEventUI e{UiEventType::kDoubleClick};
                    control_->DoEvent(e);
                    return true;
                }
                return false;
            default:
                return false;
        }
    }

  private:
    CControlUI* control_;
};

}  // namespace

ControlPeers::ControlPeers(CPaintManagerUI& manager, QWidget* host)
    : manager_(manager), host_(host) {}

ControlPeers::~ControlPeers() = default;

void ControlPeers::Build() {
    if (QLayout* old = host_->layout()) {
        while (QLayoutItem* item = old->takeAt(0)) {
            delete item->widget();
            delete item;
        }
    } else {
        auto* layout = new QVBoxLayout(host_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    peers_.clear();
    if (CControlUI* root = manager_.GetRoot()) {
        host_->layout()->addWidget(MakePeer(root, host_));
    }
}

QWidget* ControlPeers::PeerOf(CControlUI* control) const {
    const auto it = peers_.find(control);
    return it == peers_.end() ? nullptr : it->second;
}

QWidget* ControlPeers::MakePeer(CControlUI* control, QWidget* parent) {
    QWidget* peer = nullptr;
    if (auto* combo = dynamic_cast<CComboUI*>(control)) {
        auto* box = new QComboBox(parent);
        QObject::connect(box, &QComboBox::activated, box, [this, combo](int index) {
            if (mirroring_)
                return;
            combo->Activate();
            if (CControlUI* item = combo->GetItemAt(index)) {
                TEventUI up{UiEventType::kButtonUp};
                item->DoEvent(up);
            }
            combo->CloseDropList();
        });
        peer = box;
    } else if (auto* tabs = dynamic_cast<CTabLayoutUI*>(control)) {
        auto* stack = new QStackedWidget(parent);
        for (int i = 0; i < tabs->GetCount(); ++i) {
            stack->addWidget(MakePeer(tabs->GetItemAt(i), stack));
        }
        peer = stack;
    } else if (auto* container = dynamic_cast<CContainerUI*>(control)) {
        // A container that scrolls shows its children on a page inside a scroll area.
        QScrollArea* scroll = nullptr;
        if (container->IsScrollable()) {
            scroll = new QScrollArea(parent);
            scroll->setWidgetResizable(true);
            scroll->setFrameShape(QFrame::NoFrame);
            scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            scroll->viewport()->setAutoFillBackground(false);
        }
        auto* box = new QWidget(scroll != nullptr ? static_cast<QWidget*>(scroll) : parent);
        QBoxLayout* layout = dynamic_cast<CHorizontalLayoutUI*>(control) != nullptr
                                 ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                                 : static_cast<QBoxLayout*>(new QVBoxLayout(box));
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        const bool horizontal = dynamic_cast<CHorizontalLayoutUI*>(control) != nullptr;
        bool anyFlexible = false;
        QLabel* previousLabel = nullptr;
        for (int i = 0; i < container->GetCount(); ++i) {
            CControlUI* child = container->GetItemAt(i);
            QWidget* childPeer = MakePeer(child, box);
            layout->addWidget(childPeer);
            anyFlexible = anyFlexible || !child->GetAttribute(horizontal ? "width" : "height");
            // A label just before a field names it, for a screen reader as on screen.
            if (previousLabel != nullptr && (qobject_cast<QComboBox*>(childPeer) != nullptr ||
                                             qobject_cast<QLineEdit*>(childPeer) != nullptr ||
                                             qobject_cast<QSlider*>(childPeer) != nullptr)) {
                previousLabel->setBuddy(childPeer);
            }
            previousLabel = dynamic_cast<CLabelUI*>(child) != nullptr &&
                                    dynamic_cast<CButtonUI*>(child) == nullptr
                                ? qobject_cast<QLabel*>(childPeer)
                                : nullptr;
        }
        if (!anyFlexible || scroll != nullptr) {
            // Children of fixed size sit at the start, as the skin lays them out; the ones
            // added later go before this.
            layout->addStretch();
        }
        if (scroll != nullptr) {
            scroll->setWidget(box);
            scroll->setAttribute(Qt::WA_StyledBackground, true);
            peer = scroll;
        } else {
            box->setAttribute(Qt::WA_StyledBackground, true);
            peer = box;
        }
        if (const auto select = control->GetAttribute("areaselect"); select && *select == "true") {
            new AreaSelector(box, [this, container, box](const QRect& area) {
                container->SelectArea(ControlsInside(container, box, area));
            });
        }
    } else if (control->GetClass() == "DeviceKeyButtonUI") {
        // A key of a device drawing, lit many times a second: a cap that paints cheaply.
        uint32_t behind = QtWindow::kBackground;
        for (const CControlUI* c = control->GetParent(); c != nullptr; c = c->GetParent()) {
            if (const uint32_t bk = c->GetColorAttribute("bkcolor"); (bk >> 24) != 0) {
                behind = bk;
                break;
            }
        }
        auto* cap = new KeyCapButton(QColor::fromRgba(behind), manager_.Scale(4), parent);
        cap->setFocusPolicy(Qt::NoFocus);
        QObject::connect(cap, &QPushButton::clicked, cap, [this, control] {
            if (!mirroring_)
                control->Activate();
            Update(control);
        });
        peer = cap;
    } else if (dynamic_cast<CButtonUI*>(control) != nullptr) {
        // Buttons, options and check boxes: drawn from the skin, state by state.
        auto* button = new SkinButton(control, manager_, parent);
        button->setCheckable(dynamic_cast<COptionUI*>(control) != nullptr);
        button->setFlat(true);
        button->setFocusPolicy(
            Qt::NoFocus);  // buttons do not take the focus, as in the skin's toolkit
        QObject::connect(button, &QPushButton::clicked, button, [this, control] {
            if (!mirroring_)
                control->Activate();
            Update(control);
        });
        peer = button;
    } else if (dynamic_cast<CEditUI*>(control) != nullptr) {
        peer = new QLineEdit(parent);
    } else if (auto* palette = dynamic_cast<CColorPaletteUI*>(control)) {
        peer = new ColorField(palette, parent);
    } else if (auto* slider = dynamic_cast<CSliderUI*>(control)) {
        auto* s = new QSlider(Qt::Horizontal, parent);
        QObject::connect(s, &QSlider::sliderMoved, s, [this, slider](int v) {
            if (!mirroring_)
                slider->MoveThumb(v);
        });
        QObject::connect(s, &QSlider::sliderReleased, s, [this, slider] {
            if (!mirroring_)
                slider->ReleaseThumb();
        });
        QObject::connect(s, &QSlider::valueChanged, s, [this, s, slider](int v) {
            if (!mirroring_ && !s->isSliderDown() && v != slider->GetValue()) {
                slider->MoveThumb(v);  // keys and wheel: a move and a release at once
                slider->ReleaseThumb();
            }
        });
        peer = s;
    } else if (dynamic_cast<CProgressUI*>(control) != nullptr) {
        peer = new QProgressBar(parent);
    } else if (dynamic_cast<CLabelUI*>(control) != nullptr) {
        auto* label = new QLabel(parent);
        label->setAttribute(Qt::WA_StyledBackground, true);
        // A Text control holds running text: it wraps at its width instead of widening the
        // window.
        label->setWordWrap(dynamic_cast<CTextUI*>(control) != nullptr);
        peer = label;
    } else {
        peer = new QWidget(parent);
        peer->setAttribute(Qt::WA_StyledBackground, true);
        peer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    peer->installEventFilter(new PeerInput(control, peer));
    peer->setObjectName(Q(control->GetName()));
    peers_[control] = peer;
    ApplyGeometry(control, peer);
    Mirror(control, peer);
    return peer;
}

void ControlPeers::ApplyGeometry(CControlUI* control, QWidget* peer) {
    const auto number = [&](const char* name) -> int {
        const auto v = control->GetAttribute(name);
        const auto n = v ? Numbers(*v) : std::vector<int>();
        return n.empty() ? -1 : n.front();
    };
    if (const int w = number("width"); w >= 0) {
        peer->setFixedWidth(manager_.Scale(w));
    }
    if (const int h = number("height"); h >= 0) {
        peer->setFixedHeight(manager_.Scale(h));
    }
    if (QLayout* layout = ContentOf(peer)->layout()) {
        if (const auto padding = control->GetAttribute("padding")) {
            const auto p = Numbers(*padding);
            if (p.size() == 4) {
                layout->setContentsMargins(manager_.Scale(p[0]), manager_.Scale(p[1]),
                                           manager_.Scale(p[2]), manager_.Scale(p[3]));
            }
        }
        if (const int gap = number("childpadding"); gap >= 0) {
            layout->setSpacing(manager_.Scale(gap));
        }
    }
    const auto fontId = number("font");
    const FontInfo* font = fontId >= 0 ? manager_.GetFont(fontId) : &manager_.GetDefaultFont();
    if (font != nullptr) {
        QFont f(Q(font->face));
        f.setPixelSize(manager_.Scale(font->size));
        f.setBold(font->bold);
        f.setUnderline(font->underline);
        f.setItalic(font->italic);
        peer->setFont(f);
    }
}

void ControlPeers::Mirror(CControlUI* control, QWidget* peer) {
    mirroring_ = true;
    const QSignalBlocker block(peer);
    const QString text = Q(control->GetShownText());
    auto* cap = dynamic_cast<KeyCapButton*>(peer);
    if (cap != nullptr) {
        cap->Take(*control, text, manager_.Scale(2));
    } else if (auto* label = qobject_cast<QLabel*>(peer)) {
        label->setText(text);
        // A label without text may be a picture (a state icon): its image, at the window's
        // scale.
        const auto image = control->GetAttribute("bkimage");
        if (const auto parsed = image && text.isEmpty() ? SkinImage::Parse(*image) : std::nullopt) {
            QPixmap pixmap = SkinPainter::Load(parsed->file, manager_.GetDPI() > 96);
            if (!pixmap.isNull()) {
                const QSize size(
                    manager_.Scale(qRound(pixmap.width() / pixmap.devicePixelRatio())),
                    manager_.Scale(qRound(pixmap.height() / pixmap.devicePixelRatio())));
                label->setPixmap(pixmap.scaled(size * pixmap.devicePixelRatio(),
                                               Qt::KeepAspectRatio, Qt::SmoothTransformation));
            }
        }
        const auto align = control->GetAttribute("align");
        label->setAlignment(align && *align == "center" ? Qt::AlignCenter
                                                        : Qt::AlignLeft | Qt::AlignVCenter);
    } else if (auto* check = qobject_cast<QCheckBox*>(peer)) {
        check->setText(text);
        check->setChecked(static_cast<COptionUI*>(control)->IsSelected());
    } else if (auto* button = qobject_cast<QPushButton*>(peer)) {
        button->setText(text);
        if (auto* option = dynamic_cast<COptionUI*>(control)) {
            button->setChecked(option->IsSelected());
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(peer)) {
        if (edit->text() != text) {
            edit->setText(text);
        }
        edit->setCursorPosition(static_cast<int>(
            QString::fromStdString(
                control->GetText().substr(0, static_cast<CEditUI*>(control)->GetCaret()))
                .size()));
    } else if (auto* slider = qobject_cast<QSlider*>(peer)) {
        auto* s = static_cast<CSliderUI*>(control);
        slider->setRange(s->GetMinValue(), s->GetMaxValue());
        slider->setValue(s->GetValue());
    } else if (auto* bar = qobject_cast<QProgressBar*>(peer)) {
        auto* p = static_cast<CProgressUI*>(control);
        bar->setRange(p->GetMinValue(), p->GetMaxValue());
        bar->setValue(p->GetValue());
    } else if (auto* box = qobject_cast<QComboBox*>(peer)) {
        auto* combo = static_cast<CComboUI*>(control);
        box->clear();
        for (int i = 0; i < combo->GetCount(); ++i) {
            box->addItem(Q(combo->GetItemAt(i)->GetShownText()));
        }
        // A hidden item keeps its place (the index counts it) but is not offered.
        if (auto* list = qobject_cast<QListView*>(box->view())) {
            for (int i = 0; i < combo->GetCount(); ++i) {
                list->setRowHidden(i, !combo->GetItemAt(i)->GetOwnVisibility());
            }
        }
        box->setCurrentIndex(combo->GetCurSel());
    } else if (auto* stack = qobject_cast<QStackedWidget*>(peer)) {
        const int index = static_cast<CTabLayoutUI*>(control)->GetCurSel();
        if (index >= 0 && index < stack->count()) {
            stack->setCurrentIndex(index);
            // The stack sizes only the page it shows, and only when it is laid out again: a
            // page added while the window shows gets its size here.
            stack->currentWidget()->setGeometry(stack->contentsRect());
        }
    }
    peer->setVisible(control->GetOwnVisibility());
    peer->setEnabled(control->IsEnabled());
    if (manager_.GetFocus() == control && peer->isVisible() && !peer->hasFocus()) {
        peer->setFocus(Qt::TabFocusReason);  // the focus the keyboard moved, shown
    }
    const QString tip = Q(control->GetShownToolTip());
    if (peer->toolTip() != tip) {
        peer->setToolTip(tip);
    }
    // What a screen reader says: the text, or for a control without one (an icon) its tooltip.
    // (A combo box is named by the label before it; its text is its value.) Said again only
    // when it changed: a control that only changes colour, many times a second, says nothing.
    if (const QString name = text.isEmpty() ? tip : text; peer->accessibleName() != name) {
        peer->setAccessibleName(name);
    }
    // A colour field says its colour.
    const auto* field = dynamic_cast<CColorPaletteUI*>(control);
    if (const QString description =
            field != nullptr ? QColor::fromRgb(field->GetSelectColor()).name()
                               : (text.isEmpty() ? QString() : tip);
        peer->accessibleDescription() != description) {
        peer->setAccessibleDescription(description);
    }
    if (cap != nullptr) {
        mirroring_ = false;  // it repainted itself if its look changed
        return;
    }
    if (dynamic_cast<SkinButton*>(peer) != nullptr || dynamic_cast<ColorField*>(peer) != nullptr) {
        peer->update();  // it draws itself: the skin state by state, or the colour field
        mirroring_ = false;
        return;
    }
    QString style;
    if (const uint32_t bk = control->GetColorAttribute("bkcolor")) {
        style += "background-color:" + Rgba(bk) + ";";
        if (auto* scroll = qobject_cast<QScrollArea*>(peer)) {
            // The page scrolls over the viewport: the viewport shows the background.
            QPalette palette = scroll->viewport()->palette();
            palette.setColor(QPalette::Window, QColor::fromRgba(bk));
            scroll->viewport()->setPalette(palette);
            scroll->viewport()->setAutoFillBackground(true);
        }
        if (qobject_cast<QPushButton*>(peer) != nullptr) {
            // A flat button paints a background of its own only without the native frame.
            style += "border:none;border-radius:4px;";
        }
    }
    if (const uint32_t fg = control->GetColorAttribute("textcolor")) {
        style += "color:" + Rgba(fg) + ";";
    }
    const auto border = control->GetAttribute("bordersize");
    if (const uint32_t colour = control->GetColorAttribute("bordercolor"); colour && border) {
        style += QString("border:%1px solid %2;")
                     .arg(manager_.Scale(std::max(1, std::atoi(border->c_str()))))
                     .arg(Rgba(colour));
    }
    if (const auto round = control->GetAttribute("borderround")) {
        style += QString("border-radius:%1px;").arg(manager_.Scale(std::atoi(round->c_str())));
    }
    const auto* item = dynamic_cast<IListItemUI*>(control);
    if (auto* option = dynamic_cast<COptionUI*>(control);
        (option != nullptr && option->IsSelected()) || (item != nullptr && item->IsSelected())) {
        if (const uint32_t sel = control->GetColorAttribute("selectedbkcolor")) {
            style += "background-color:" + Rgba(sel) + ";";
        }
    }
    if (const auto selectorStyle =
            style.isEmpty() ? QString()
                            : QString("%1{%2}").arg(peer->metaObject()->className(), style);
        peer->styleSheet() != selectorStyle) {
        peer->setStyleSheet(selectorStyle);
    }
    mirroring_ = false;
}

void ControlPeers::Recolour(CControlUI* control) {
    if (auto* cap = dynamic_cast<KeyCapButton*>(PeerOf(control))) {
        cap->Recolour(*control);
    } else {
        Update(control);
    }
}

void ControlPeers::Update(CControlUI* control) {
    if (QWidget* existing = PeerOf(control)) {
        Mirror(control, existing);
    } else if (CControlUI* parent = control->GetParent();
               parent != nullptr && PeerOf(parent) != nullptr) {
        // A control added after the tree was shown: give it a peer in its parent's layout.
        // (Items of a combo box or list are shown by their owner's peer, not by their own.)
        QWidget* parentPeer = PeerOf(parent);
        if (auto* stack = qobject_cast<QStackedWidget*>(parentPeer)) {
            stack->addWidget(MakePeer(control, parentPeer));
        } else if (auto* box = qobject_cast<QBoxLayout*>(ContentOf(parentPeer)->layout())) {
            const auto* container = dynamic_cast<CContainerUI*>(parent);
            box->insertWidget(container != nullptr ? container->GetItemIndex(control) : -1,
                              MakePeer(control, ContentOf(parentPeer)));
        }
    }
}

void ControlPeers::Remove(CControlUI* control) {
    const auto it = peers_.find(control);
    if (it == peers_.end()) {
        return;
    }
    QWidget* peer = it->second;
    peers_.erase(it);
    // Children's peers go with their parent's widget.
    for (auto p = peers_.begin(); p != peers_.end();) {
        p = peer->isAncestorOf(p->second) ? peers_.erase(p) : std::next(p);
    }
    peer->hide();
    peer->deleteLater();
}

std::vector<CControlUI*> ControlPeers::ControlsInside(CControlUI* container, QWidget* box,
                                                     const QRect& area) const {
    std::vector<CControlUI*> inside;
    for (const auto& [control, peer] : peers_) {
        if (dynamic_cast<CContainerUI*>(control) != nullptr || !peer->isVisible() ||
            !box->isAncestorOf(peer)) {
            continue;
        }
        const QRect shown(peer->mapTo(box, QPoint(0, 0)), peer->size());
        if (shown.intersects(area) && control != container) {
            inside.push_back(control);
        }
    }
    return inside;
}

void ControlPeers::Rescale() {
    for (const auto& [control, peer] : peers_) {
        ApplyGeometry(control, peer);
    }
}

}  // namespace marlo::ui
