#pragma once

#include <string>
#include <string_view>

#include "online/UpdateCheck.h"
#include "ui/ContainerUI.h"

namespace marlo::app {

// One row of the settings window's update list: the item's name (a check box, for choosing
// it once it has an update), its version here and at the service, and its state.
class CUpdateInfoListItemUI : public ui::CHorizontalLayoutUI {
  public:
    // The row texts, as language text identifiers.
    enum class RowText {
        kUpToDate,      // "LessUpdateText"
        kNeedsUpdate,   // "NeedUpdateText"
        kUpdating,      // "UpdateIngText"
        kUpdated,       // "UpdateOkText"
        kUpdateFailed,  // "UpdateFailText"
        kDownloading,   // "DownloadIngText"
        kDownloaded,    // "DownloadOkText"
        kWaiting,       // "DownloadWaitText"
    };
    static std::string_view TextId(RowText text);

    std::string_view GetClass() const override { return "UpdateInfoListItemUI"; }

    // The item as the check starts: its name, its version here and the status 7.
    void ShowItem(const online::UpdateItem& item);
    void ShowResult(const online::UpdateResult& result);
    void ShowRowText(RowText text);
    RowText rowText() const { return rowText_; }
    int status() const { return result_.status; }
    const online::UpdateResult& result() const { return result_; }

    // A row with an update can be chosen; it starts chosen.
    void SetSelectable(bool selectable);
    bool IsChosen();

  private:
    online::UpdateResult result_;
    RowText rowText_ = RowText::kUpToDate;
};

}  // namespace marlo::app
