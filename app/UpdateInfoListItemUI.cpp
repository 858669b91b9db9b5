#include "UpdateInfoListItemUI.h"

#include "ui/OptionUI.h"

namespace marlo::app {

std::string_view CUpdateInfoListItemUI::TextId(RowText text) {
    switch (text) {
        case RowText::kUpToDate:
            return "LessUpdateText";
        case RowText::kNeedsUpdate:
            return "NeedUpdateText";
        case RowText::kUpdating:
            return "UpdateIngText";
        case RowText::kUpdated:
            return "UpdateOkText";
        case RowText::kUpdateFailed:
            return "UpdateFailText";
        case RowText::kDownloading:
            return "DownloadIngText";
        case RowText::kDownloaded:
            return "DownloadOkText";
        case RowText::kWaiting:
            return "DownloadWaitText";
    }
    return "LessUpdateText";
}

void CUpdateInfoListItemUI::ShowItem(const online::UpdateItem& item) {
    result_ = online::UpdateResult{};
    result_.name = item.ShownName();
    result_.localVersionText = item.LocalVersionText();
    ShowResult(result_);
}

void CUpdateInfoListItemUI::ShowResult(const online::UpdateResult& result) {
    result_ = result;
    if (ui::CControlUI* name = FindSubControl("check_name_select")) {
        name->SetText(result.name);
    }
    if (ui::CControlUI* here = FindSubControl("OldRev")) {
        here->SetText(result.localVersionText);
    }
    if (ui::CControlUI* there = FindSubControl("updateRev")) {
        there->SetText(result.remoteVersionText.empty() ? "-" : result.remoteVersionText);
    }
    if (ui::CControlUI* ok = FindSubControl("update_status_ok")) {
        ok->SetVisible(!result.failed && result.status == online::UpdateResult::kUpToDate &&
                       !result.remoteVersionText.empty());
    }
    ShowRowText(result.status == online::UpdateResult::kUpdateAvailable ? RowText::kNeedsUpdate
                                                                        : RowText::kUpToDate);
}

void CUpdateInfoListItemUI::ShowRowText(RowText text) {
    rowText_ = text;
    if (ui::CControlUI* state = FindSubControl("update_status_text")) {
        state->SetResourceText(true);
        state->SetText(std::string(TextId(text)));
    }
    if (ui::CControlUI* busy = FindSubControl("update_status_ing")) {
        busy->SetVisible(text == RowText::kUpdating || text == RowText::kDownloading);
    }
}

void CUpdateInfoListItemUI::SetSelectable(bool selectable) {
    if (auto* check = dynamic_cast<ui::CCheckBoxUI*>(FindSubControl("check_name_select"))) {
        check->SetEnabled(selectable);
        check->SetCheck(selectable, false);
    }
}

bool CUpdateInfoListItemUI::IsChosen() {
    const auto* check = dynamic_cast<ui::CCheckBoxUI*>(FindSubControl("check_name_select"));
    return check != nullptr && check->IsEnabled() && check->GetCheck();
}

}  // namespace marlo::app
