#include "ui/ListElementUI.h"

namespace marlo::ui {
namespace {

// The behaviour both item kinds share.
template <typename Item>
bool SelectItem(Item& item, bool takeFocus) {
    IListOwnerUI* owner = item.GetOwner();
    return owner != nullptr && owner->SelectItem(owner->IndexOfItem(&item), takeFocus);
}

template <typename Item, typename Base>
void ItemEvent(Item& item, TEventUI& event) {
    if (event.type == UiEventType::kDoubleClick ||
        (event.type == UiEventType::kKeyDown && event.key == kVkReturn)) {
        if (item.GetOwner() != nullptr && item.IsEnabled()) {
            item.GetOwner()->ItemActivated(&item);
        }
        return;
    }
    item.Base::DoEvent(event);
}

}  // namespace

bool CListLabelElementUI::Activate() {
    if (!IsVisible() || !IsEnabled()) {
        return false;
    }
    SendNotify(notify::kItemClick);
    return Select();
}

bool CListLabelElementUI::Select(bool takeFocus) {
    return SelectItem(*this, takeFocus);
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
    ItemEvent<CListLabelElementUI, CLabelUI>(*this, event);
}

bool CListContainerElementUI::Activate() {
    if (!IsVisible() || !IsEnabled()) {
        return false;
    }
    SendNotify(notify::kItemClick);
    return Select();
}

bool CListContainerElementUI::Select(bool takeFocus) {
    return SelectItem(*this, takeFocus);
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    ItemEvent<CListContainerElementUI, CContainerUI>(*this, event);
}

}  // namespace marlo::ui
