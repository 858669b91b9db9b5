#include "SetWnd.h"

#include "LanguageSettings.h"
#include "UpdateInfoListItemUI.h"
#include "online/HttpClient.h"
#include "online/UpdateService.h"
#include "platform/DebugOutput.h"
#include "platform/MessageRegistry.h"
#include "ui/DialogBuilder.h"
#include "ui/DisplayBackend.h"
#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"
#include "ui/TabLayoutUI.h"

namespace marlo::app {
namespace {

constexpr const char* kRowLayout = "xml/CustomControlXML/device_Update_list_item.xml";
constexpr int kRowHeight = 40;

// The status line's text and picture for each state of the check.
struct StateLook {
    const char* text;
    const char* image;  // empty: the busy ring instead
};
constexpr StateLook kStates[] = {
    {"GetUpdateInfoText", ""},
    {"HaveUpdateInfoText", "common/status/update.png"},
    {"NoUpdateInfoText", "common/status/offline.png"},
    {"ISUpdateINGText", ""},
    {"UpdateIsLastText", "common/status/ok.png"},
};

bool IsWebAddress(const std::string& address) {
    return address.starts_with("https://") || address.starts_with("http://");
}

}  // namespace

CSetWnd::CSetWnd(ui::CWindowWnd* mainWindow, int languageIndex,
                 std::vector<online::UpdateItem> items)
    : mainWindow_(mainWindow),
      languageIndex_(languageIndex),
      updateRequest_(platform::MessageRegistry::Register(kUpdateRequest)),
      items_(std::move(items)) {}

CSetWnd::~CSetWnd() {
    worker_.Stop(platform::kInfinite);
}

std::unique_ptr<ui::CControlUI> CSetWnd::CreateControl(std::string_view className) {
    if (className == "UpdateInfoListItem") {
        return std::make_unique<CUpdateInfoListItemUI>();
    }
    return nullptr;
}

void CSetWnd::Prepare(int dpi) {
    SizeForDpi(dpi, kBaseWidth, kBaseHeight);
}

void CSetWnd::InitWindow() {
    ShowTitle();
    FillLanguages();
    lastCheckDate_ = online::UpdateTimeFile::UserFile().ReadOrCreate();
    StartCheck();
}

void CSetWnd::ShowTitle() {
    // What the desktop and a screen reader call the window: its heading, in the language.
    if (ui::CControlUI* title = manager_.FindControl("set_title")) {
        SetTitle(title->GetShownText());
    }
}

void CSetWnd::FillLanguages() {
    auto* combo = dynamic_cast<ui::CComboUI*>(manager_.FindControl("Language_combox_info"));
    if (combo == nullptr) {
        return;
    }
    combo->RemoveAll();
    for (const auto& language : LanguageSettings::Languages().languages) {
        auto entry = std::make_unique<ui::CListLabelElementUI>();
        entry->SetResourceText(true);
        entry->SetText(language.text);
        combo->Add(std::move(entry));
    }
    combo->SelectItem(languageIndex_, false, false);
}

std::vector<CUpdateInfoListItemUI*> CSetWnd::Rows() {
    std::vector<CUpdateInfoListItemUI*> rows;
    if (auto* list =
            dynamic_cast<ui::CContainerUI*>(manager_.FindControl("device_update_list_info"))) {
        for (int i = 0; i < list->GetCount(); ++i) {
            if (auto* row = dynamic_cast<CUpdateInfoListItemUI*>(list->GetItemAt(i))) {
                rows.push_back(row);
            }
        }
    }
    return rows;
}

void CSetWnd::StartCheck() {
    if (checking_) {
        return;
    }
    worker_.Stop(platform::kInfinite);  // a finished check's thread, ended already
    auto* list = dynamic_cast<ui::CContainerUI*>(manager_.FindControl("device_update_list_info"));
    if (list == nullptr) {
        return;
    }
    // One row per item, as it is here, before any answer.
    list->RemoveAll();
    for (const online::UpdateItem& item : items_) {
        ui::CDialogBuilder builder;
        auto built = builder.Create(kRowLayout, this, &manager_);
        for (const std::string& error : builder.errors()) {
            platform::DebugOutput::Printf("%s", error.c_str());
        }
        if (auto* row = dynamic_cast<CUpdateInfoListItemUI*>(built.get())) {
            row->SetAttribute("height", std::to_string(kRowHeight));
            row->ShowItem(item);
            list->Add(std::move(built));
        }
    }
    if (ui::CControlUI* button = manager_.FindControl("update_fw_and_ap")) {
        button->SetEnabled(false);
        button->SetVisible(false);
    }
    ShowState(online::UpdateCheck::kChecking);
    checking_ = true;
    const std::string base = online::UpdateService::BaseAddress();
    const std::string pin = online::UpdateService::PinnedKey();
    worker_.Start([this, items = items_, base, pin](platform::Event& stop) {
        online::HttpClient client;
        client.SetPinnedKey(pin);
        online::UpdateCheck check(client, base);
        const auto state = check.Run(
            items,
            [this](size_t row, const online::UpdateResult& result) {
                if (result.status == online::UpdateResult::kUpdateAvailable) {
                    online::UpdateTimeFile::UserFile().WriteToday();
                }
                PostPayload(kRowAnswer, RowAnswer{row, result});
            },
            &stop);
        if (!stop.Wait(0)) {
            PostMessage(kCheckEnded, static_cast<uintptr_t>(state), 0);
        }
    });
}

void CSetWnd::ShowState(int state) {
    state_ = state;
    const StateLook& look = kStates[state >= 0 && state <= 4 ? state : 0];
    if (ui::CControlUI* text = manager_.FindControl("Update_Status_text")) {
        if (state == online::UpdateCheck::kUpToDate) {
            // The identifier's text and the date of the last check, as plain text.
            text->SetResourceText(false);
            text->SetText(
                ui::CResourceManager::GetInstance().FindText(look.text).value_or(look.text) + " " +
                lastCheckDate_);
        } else {
            text->SetResourceText(true);
            text->SetText(look.text);
        }
    }
    const bool busy = *look.image == '\0';
    if (ui::CControlUI* ring = manager_.FindControl("update_status_ring")) {
        ring->SetVisible(busy);
    }
    if (ui::CControlUI* image = manager_.FindControl("update_status_image")) {
        image->SetVisible(!busy);
        if (!busy) {
            image->SetAttribute("bkimage", look.image);
            image->Invalidate();
        }
    }
    if (ui::CControlUI* hint = manager_.FindControl("update_tishi_layout")) {
        hint->SetVisible(state == online::UpdateCheck::kHaveUpdates);
    }
}

void CSetWnd::OnCheckEnded(int state) {
    checking_ = false;
    worker_.Stop(kStopWaitMs);
    bool anyChosen = false;
    for (CUpdateInfoListItemUI* row : Rows()) {
        const bool update = row->status() != online::UpdateResult::kUpToDate && row->status() != 0;
        row->SetSelectable(update);
        anyChosen = anyChosen || update;
    }
    if (ui::CControlUI* button = manager_.FindControl("update_fw_and_ap")) {
        button->SetEnabled(anyChosen);
        button->SetVisible(anyChosen);
    }
    ShowState(state);
    if (state == online::UpdateCheck::kUpToDate && mainWindow_ != nullptr) {
        mainWindow_->SendMessage(kUpdateSeen, 0, 0);
    }
}

void CSetWnd::OnChosenChanged() {
    bool anyChosen = false;
    for (CUpdateInfoListItemUI* row : Rows()) {
        anyChosen = anyChosen || row->IsChosen();
    }
    if (ui::CControlUI* button = manager_.FindControl("update_fw_and_ap")) {
        button->SetEnabled(anyChosen);
        button->SetVisible(anyChosen || button->IsVisible());
    }
}

void CSetWnd::MarkChosenForUpdate() {
    for (CUpdateInfoListItemUI* row : Rows()) {
        if (!row->IsChosen()) {
            continue;
        }
        // The update is fetched from the service's address in the person's browser; only a
        // web address is ever handed on.
        const std::string& address = row->result().path;
        const bool opened = IsWebAddress(address) && ui::CPaintManagerUI::GetBackend() != nullptr &&
                            ui::CPaintManagerUI::GetBackend()->OpenAddress(address);
        row->ShowRowText(opened ? CUpdateInfoListItemUI::RowText::kDownloading
                                : CUpdateInfoListItemUI::RowText::kWaiting);
        if (!opened) {
            platform::DebugOutput::Printf("no download address for %s", row->result().name.c_str());
        }
    }
    if (ui::CControlUI* button = manager_.FindControl("update_fw_and_ap")) {
        button->SetEnabled(false);
    }
}

void CSetWnd::Leave() {
    worker_.Stop(kStopWaitMs);
    checking_ = false;
    Close(0);
}

bool CSetWnd::OnEscape() {
    Leave();
    return true;
}

void CSetWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        WindowImplBase::Notify(msg);
        return;
    }
    const std::string& name = msg.pSender->GetName();
    auto* tabs = dynamic_cast<ui::CTabLayoutUI*>(manager_.FindControl("get_update_tab_layout"));
    if (msg.sType == ui::notify::kClick) {
        if (name == "closebtn" || name == "laterbtn") {
            Leave();
        } else if (name == "minbtn") {
            SendMessage(ui::kWmSysCommand, ui::kScMinimize);
        } else if (name == "maxbtn" || name == "restorebtn") {
            SendMessage(ui::kWmSysCommand, name == "maxbtn" ? ui::kScMaximize : ui::kScRestore);
            msg.pSender->SetVisible(false);
            if (ui::CControlUI* other =
                    manager_.FindControl(name == "maxbtn" ? "restorebtn" : "maxbtn")) {
                other->SetVisible(true);
            }
        } else if (name == "set_in_update_wnd_btn") {
            if (ui::CControlUI* hint = manager_.FindControl("update_tishi_layout")) {
                hint->SetVisible(false);
            }
            ResizeClient(manager_.Scale(kBaseWidth), manager_.Scale(kBaseHeight));
        } else if (name == "update_fw_and_ap" && tabs != nullptr) {
            tabs->SelectItem(1);
        } else if (name == "update_OK_btn") {
            MarkChosenForUpdate();
            if (tabs != nullptr) {
                tabs->SelectItem(0);
            }
        }
    } else if (msg.sType == ui::notify::kSelectChanged && name == "check_name_select") {
        OnChosenChanged();
    } else if (msg.sType == ui::notify::kItemSelect && name == "Language_combox_info") {
        const int index = static_cast<int>(msg.wParam);
        if (index >= 0 && index != languageIndex_ && mainWindow_ != nullptr) {
            languageIndex_ = index;
            mainWindow_->SendMessage(kLanguageChanged, static_cast<uintptr_t>(index), 0);
        }
    }
    WindowImplBase::Notify(msg);
}

intptr_t CSetWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                      bool& handled) {
    handled = true;
    if (message == updateRequest_) {
        StartCheck();
        return 0;
    }
    switch (message) {
        case kRowAnswer:
            if (const auto* answer = MessagePayload<RowAnswer>()) {
                const auto rows = Rows();
                if (answer->row < rows.size()) {
                    rows[answer->row]->ShowResult(answer->result);
                }
            }
            return 0;
        case kCheckEnded:
            OnCheckEnded(static_cast<int>(wParam));
            return 0;
        case kLanguageChanged:
            // The texts follow by themselves; the title and the plain status line are set
            // again.
            ShowTitle();
            if (state_ == online::UpdateCheck::kUpToDate) {
                ShowState(state_);
            }
            return 0;
        case ui::kWmDpiChanged:
            SizeForDpi(static_cast<int>(wParam & 0xFFFF), kBaseWidth, kBaseHeight);
            return 0;
        case ui::kWmClose:
            worker_.Stop(kStopWaitMs);  // the system command close, too
            handled = false;
            return 0;
        default:
            break;
    }
    handled = false;
    return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
}

}  // namespace marlo::app
