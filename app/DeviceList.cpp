#include "DeviceList.h"

#include <algorithm>

#include "HeadsetPanelRouter.h"
#include "LightPanelRouter.h"

#include "pages/MpDevicePowerUI.h"
#include "pages/ZentrixHS6533Device.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "pages/ZentrixMouseDevice.h"
#include "pages/ZentrixUSBDevice.h"
#include "panels/DeviceOptionUI.h"
#include "panels/KeySetControlUI.h"
#include "panels/MacroControlUI.h"
#include "platform/DebugOutput.h"
#include "profiles/MacroList.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManagerUI.h"
#include "ui/TabLayoutUI.h"
#include "ui/WindowWnd.h"

namespace marlo::app {

using hid::CommandChannel;
using hid::SupportedDeviceRecord;
using pages::CZentrixUSBDevice;
using panels::CDeviceOptionUI;
using platform::DebugOutput;

namespace {

constexpr const char* kEntryFile = "xml/CustomControlXML/DeviceOption.xml";
constexpr const char* kPowerFile = "xml/CustomControlXML/MpDevicePower.xml";
constexpr const char* kEntryGroup = "tab_header_device";
constexpr const char* kPowerSwitch = "device_power_switch";
constexpr const char* kDeviceSwitch = "device_switch";
constexpr const char* kEntryLayout = "device_select_layout";
constexpr const char* kNoDevice = "No_device_Link";
constexpr const char* kEntriesEnd = "device_select_end";

struct ListTemplate {
    const char* name;
    int kind;
    int kindIndex;
    uint16_t vendorId;
    uint16_t productId;
    uint16_t productCode;
    uint16_t role;
};

struct PageTemplate {
    size_t lights;
    size_t keys;
    bool hasBattery;
    int mouseValue;
    const char* pageFile;
};

constexpr std::array<ListTemplate, CDeviceList::kKinds> kListTemplates = {{
    {"mouse", 0, 1, 0, 0, hid::kProductMouse, hid::kRoleCommand},
    {"keyboard", 1, 0, 0x320F, 0x5055, hid::kProductKeyboard, hid::kRoleCommand},
    {"MousePad", 2, 2, 0, 0, hid::kProductMousePad, hid::kRoleCommand},
    {"HD", 3, 3, 0x0C76, 0x1630, hid::kProductHeadset, hid::kRoleCommand},
}};

constexpr std::array<PageTemplate, CDeviceList::kKinds> kPageTemplates = {{
    {15, 11, true, -1, "xml/DeviceXml/mousedevice.xml"},
    {170, 170, false, -1, "xml/DeviceXml/keyboarddevice.xml"},
    {15, 0, false, -1, "xml/DeviceXml/mousepaddevice.xml"},
    {13, 0, false, -1, "xml/DeviceXml/hs6533device.xml"},
}};

bool IsReceiverCode(uint16_t code) {
    return code == hid::kProductMouseReceiver || code == hid::kProductKeyboardReceiver;
}

bool IsCableCode(uint16_t code) {
    return code == hid::kProductKeyboard || code == hid::kProductMouse;
}

// The mouse's receiver counts as the mouse for the templates.
uint16_t TemplateCode(uint16_t code) {
    return code == hid::kProductMouseReceiver ? static_cast<uint16_t>(hid::kProductMouse) : code;
}

std::optional<size_t> FindTemplate(const SupportedDeviceRecord& row) {
    for (size_t i = 0; i < kListTemplates.size(); ++i) {
        const ListTemplate& t = kListTemplates[i];
        if (t.vendorId == row.vendorId && t.productId == row.productId &&
            t.productCode == TemplateCode(row.productCode) && t.role == row.collectionRole) {
            return i;
        }
    }
    return std::nullopt;
}

std::unique_ptr<ui::CControlUI> Build(const char* file, ui::IDialogBuilderCallback* callback,
                                      ui::CPaintManagerUI& manager) {
    ui::CDialogBuilder builder;
    auto root = builder.Create(file, callback, &manager);
    for (const std::string& error : builder.errors()) {
        DebugOutput::Printf("%s", error.c_str());
    }
    return root;
}

}  // namespace

CDeviceList::CDeviceList(ui::CPaintManagerUI& manager, ui::IDialogBuilderCallback* builderCallback,
                         hid::DeviceSlots& slots, Host host)
    : manager_(manager), builderCallback_(builderCallback), slots_(slots), host_(std::move(host)) {}

CDeviceList::~CDeviceList() {
    StopDeviceThreads();
}

void CDeviceList::StopDeviceThreads() {
    std::array<std::vector<CZentrixUSBDevice*>, kKinds> lists;
    {
        std::lock_guard lock(listsMutex_);
        lists = lists_;
    }
    for (const auto& list : lists) {
        for (CZentrixUSBDevice* device : list) {
            device->StopThreads();
        }
    }
}

ui::CContainerUI* CDeviceList::EntryLayout() {
    return dynamic_cast<ui::CContainerUI*>(manager_.FindControl(kEntryLayout));
}

ui::CTabLayoutUI* CDeviceList::Tab(const char* name) {
    return dynamic_cast<ui::CTabLayoutUI*>(manager_.FindControl(name));
}

std::optional<size_t> CDeviceList::FindRow(const SupportedDeviceRecord& like, uint16_t role) const {
    for (size_t i = 0; i < hid::kSupportedDeviceCount; ++i) {
        const SupportedDeviceRecord row = slots_.Get(i);
        if (row.vendorId == like.vendorId && row.productId == like.productId &&
            row.productCode == like.productCode && row.collectionRole == role) {
            return i;
        }
    }
    return std::nullopt;
}

void CDeviceList::CreateInitialDevices() {
    for (size_t t = 0; t < 2; ++t) {
        SupportedDeviceRecord like;
        like.vendorId = kListTemplates[t].vendorId;
        like.productId = kListTemplates[t].productId;
        like.productCode = kListTemplates[t].productCode;
        if (const auto row = FindRow(like, kListTemplates[t].role)) {
            CreateDevice(*row, kListTemplates[t].role);
        }
    }
}

int CDeviceList::CreateDevice(size_t rowIndex, uint16_t role) {
    if (rowIndex >= hid::kSupportedDeviceCount) {
        return 0;
    }
    SupportedDeviceRecord row = slots_.Get(rowIndex);
    if (row.productCode == hid::kProductMouseReceiver && row.hasPartner != 0 &&
        row.partnerIndex < hid::kSupportedDeviceCount) {
        row = slots_.Get(row.partnerIndex);
    }
    row.collectionRole = role;
    const auto t = FindTemplate(row);
    if (!t) {
        return 0;
    }
    const ListTemplate& list = kListTemplates[*t];
    const PageTemplate& page = kPageTemplates[*t];

    auto powerRoot = Build(kPowerFile, builderCallback_, manager_);
    auto* power = dynamic_cast<pages::CMpDevicePowerUI*>(powerRoot.get());
    if (power == nullptr) {
        return 0;
    }
    auto entryRoot = Build(kEntryFile, builderCallback_, manager_);
    auto* entry = dynamic_cast<CDeviceOptionUI*>(entryRoot.get());
    if (entry == nullptr) {
        return 0;
    }
    auto pageRoot = Build(page.pageFile, builderCallback_, manager_);
    auto* device = dynamic_cast<CZentrixUSBDevice*>(pageRoot.get());
    ui::CTabLayoutUI* powerSwitch = Tab(kPowerSwitch);
    ui::CTabLayoutUI* deviceSwitch = Tab(kDeviceSwitch);
    ui::CContainerUI* entries = EntryLayout();
    if (device == nullptr || powerSwitch == nullptr || deviceSwitch == nullptr ||
        entries == nullptr) {
        return 0;
    }

    powerSwitch->Add(std::move(powerRoot));
    power->SetProduct(TemplateCode(row.productCode), row.collectionRole);
    powerControls_.push_back(power);

    if (auto* mouse = dynamic_cast<pages::CZentrixMouseDevice*>(device)) {
        mouse->SetMouseValue(page.mouseValue);
    }
    device->SetUp({.pagePath = page.pageFile,
                   .name = list.name,
                   .lightCount = page.lights,
                   .keyCount = page.keys,
                   .hasBattery = page.hasBattery,
                   .power = power,
                   .identity = row,
                   .kindIndex = list.kindIndex});
    SetUpKeyPanel(*device);
    CLightPanelRouter::SetUp(*device);
    auto* headset = dynamic_cast<pages::CZentrixHS6533Device*>(device);
    device->SetPageRefreshHandler([this, device, headset] {
        if (headset != nullptr) {
            CHeadsetPanelRouter::Show(*headset);
        }
        CLightPanelRouter::Show(*device);
        if (host_.lightingChanged) {
            host_.lightingChanged();
        }
    });

    deviceSwitch->Add(std::move(pageRoot));
    {
        std::lock_guard lock(listsMutex_);
        lists_[static_cast<size_t>(list.kind)].push_back(device);
    }

    // Before the layout's closing spacer, when it has one: entries keep to the left of it.
    int at = entries->GetCount();
    if (ui::CControlUI* end = entries->FindSubControl(kEntriesEnd)) {
        at = entries->GetItemIndex(end);
    }
    entries->AddAt(std::move(entryRoot), at);
    const int entryIndex = entries->GetItemIndex(entry);
    entry->SetSynchroMark(false);
    entry->SetGroup(kEntryGroup);
    entry->BindTab(kDeviceSwitch, deviceSwitch->GetItemIndex(device));
    entry->SetPowerTab(kPowerSwitch, powerSwitch->GetItemIndex(power));
    entry->SetIcons(TemplateCode(row.productCode), row.collectionRole);
    entry->SetVisible(false);
    entry->SetName(list.name);
    entry->LinkDevice(device, entryIndex);
    entry->LinkSelectPanel(device->selectPanel());
    if (host_.syncRequested) {
        device->deviceDriver().SetSyncRequestHandler(
            [this, entryIndex] { host_.syncRequested(entryIndex); });
    }
    if (host_.workDone) {
        device->SetWorkDeliveryHandler([this, entryIndex] { host_.workDone(entryIndex); });
    }
    if (host_.frameWake) {
        device->SetFrameWakeHandler([this, entryIndex] { host_.frameWake(entryIndex); });
    }
    return 1;
}

SupportedDeviceRecord CDeviceList::RepresentedBy(size_t slot) const {
    const SupportedDeviceRecord record = slots_.Get(slot);
    if (IsReceiverCode(record.productCode) && record.hasPartner != 0 &&
        record.partnerIndex < hid::kSupportedDeviceCount) {
        return slots_.Get(record.partnerIndex);
    }
    return record;
}

CDeviceList::Found CDeviceList::FindDevice(const SupportedDeviceRecord& identity) {
    ui::CContainerUI* entries = EntryLayout();
    if (entries == nullptr) {
        return {};
    }
    for (int i = 0; i < entries->GetCount(); ++i) {
        auto* entry = dynamic_cast<CDeviceOptionUI*>(entries->GetItemAt(i));
        if (entry != nullptr && entry->GetDevice() != nullptr) {
            // Both sides are command collections: an event slot is looked up by its row's.
            const SupportedDeviceRecord mine = entry->GetDevice()->deviceDriver().identity();
            const SupportedDeviceRecord& theirs = identity;
            if (mine.IdentityEquals(theirs)) {
                return {entry->GetDevice(), entry};
            }
        }
    }
    return {};
}

CDeviceList::Found CDeviceList::FindByEntryIdentity(size_t slot) {
    return FindDevice(RepresentedBy(slot));
}

bool CDeviceList::PartnerTest(size_t slot) const {
    const SupportedDeviceRecord record = slots_.Get(slot);
    if (record.hasPartner == 0 || record.partnerIndex >= hid::kSupportedDeviceCount) {
        return false;
    }
    const SupportedDeviceRecord partner = slots_.Get(record.partnerIndex);
    return partner.partnerIndex == slot && partner.attached != 0 && !partner.devicePath.empty();
}

void CDeviceList::LogArrivalOrRemoval(uint16_t productCode, bool arrival) const {
    switch (productCode) {
        case hid::kProductKeyboard:
        case hid::kProductKeyboardReceiver:
            DebugOutput::Write(arrival ? "添加一个键盘设备" : "删除一个键盘设备");
            break;
        case hid::kProductMouse:
        case hid::kProductMouseReceiver:
            DebugOutput::Write(arrival ? "添加一个鼠标设备" : "删除一个鼠标设备");
            break;
        case hid::kProductMousePad:
        case hid::kProductHeadset:
            DebugOutput::Write(arrival ? "添加一个鼠标垫设备" : "删除一个鼠标垫设备");
            break;
        default:
            break;
    }
}

void CDeviceList::OnDeviceAttached(size_t slot) {
    if (slot >= hid::kSupportedDeviceCount) {
        return;
    }
    const SupportedDeviceRecord record = slots_.Get(slot);
    // Is the product shown by an entry already? An event collection looks for its command
    // collection's row; a receiver with a partner for the partner's.
    SupportedDeviceRecord shownAs = RepresentedBy(slot);
    if (record.collectionRole == hid::kRoleEvent) {
        if (const auto commandRow = FindRow(record, hid::kRoleCommand)) {
            shownAs = RepresentedBy(*commandRow);
        }
    }
    if (FindDevice(shownAs).device == nullptr) {
        if (const auto row = FindRow(record, hid::kRoleCommand)) {
            CreateDevice(*row, hid::kRoleCommand);
        }
    }
    LogArrivalOrRemoval(record.productCode, true);
    if (record.collectionRole == hid::kRoleEvent) {
        ConnectEvents(slot);
    } else {
        ConnectCommand(slot);
    }
    if (host_.bringToFront) {
        host_.bringToFront();
    }
}

void CDeviceList::ConnectCommand(size_t slot) {
    const SupportedDeviceRecord record = slots_.Get(slot);
    if (PartnerTest(slot)) {
        if (IsCableCode(record.productCode)) {
            SwitchTransport(slot);
        }
        return;
    }
    const Found found = FindByEntryIdentity(slot);
    if (found.device == nullptr) {
        return;
    }
    CommandChannel& channel = found.device->channel();
    const bool receiver = IsReceiverCode(record.productCode);
    if (!channel.connected()) {
        const auto path = receiver ? CommandChannel::Path::kReceiver : CommandChannel::Path::kCable;
        if (channel.OpenInterface(path, record.devicePath)) {
            channel.SetConnected(true);
            if (receiver) {
                channel.SetMode(2);
            } else if (IsCableCode(record.productCode)) {
                channel.SetMode(1);
            }
            found.device->SetReceiver(receiver);
            found.device->SetIdentity(RepresentedBy(slot));
        }
    }
    if (!channel.connected()) {
        // Nothing to show: the slot stays claimed, so plugging the device again tries anew.
        DebugOutput::Printf("cannot open %s", record.devicePath.c_str());
        return;
    }
    if (!receiver) {
        const Visible before = FirstVisibleEntry();
        ShowEntry(found.device->entryIndex(), true, !before.found);
    }
    found.entry->StartConnect();
}

void CDeviceList::ConnectEvents(size_t slot) {
    const SupportedDeviceRecord record = slots_.Get(slot);
    SupportedDeviceRecord identity = record;
    if (const auto commandRow = FindRow(record, hid::kRoleCommand)) {
        identity = RepresentedBy(*commandRow);
    }
    const Found found = FindDevice(identity);
    if (found.device != nullptr && !found.device->deviceDriver().eventInterfaceOpen()) {
        found.device->deviceDriver().OpenEventInterface(record.devicePath);
    }
}

void CDeviceList::SwitchTransport(size_t slot) {
    const SupportedDeviceRecord record = slots_.Get(slot);
    const Found found = FindByEntryIdentity(slot);
    if (found.device == nullptr || record.partnerIndex >= hid::kSupportedDeviceCount) {
        return;
    }
    CZentrixUSBDevice& device = *found.device;
    CommandChannel& channel = device.channel();
    const bool leavingReceiver = device.receiver();
    const std::string path =
        leavingReceiver ? record.devicePath : slots_.Get(record.partnerIndex).devicePath;
    channel.SetConnected(false);
    const auto target =
        leavingReceiver ? CommandChannel::Path::kCable : CommandChannel::Path::kReceiver;
    if (!channel.OpenInterface(target, path)) {
        return;
    }
    channel.SetConnected(true);
    device.SetReceiver(!leavingReceiver);
    if (device.receiver()) {
        channel.SetMode(2);
        if (device.hasBattery()) {
            // The receiver may take a while to reach its device: asked on the device's thread.
            device.work().Post(
                [&device, &channel] {
                    for (int attempt = 0; attempt < 25; ++attempt) {
                        if (channel.CheckLink() == 1) {
                            break;
                        }
                        DebugOutput::Write("获取2.4G模式失败");
                        if (device.work().Paused(50)) {
                            return;
                        }
                    }
                },
                [&device] {
                    DebugOutput::Write("获取2");
                    device.StatusPoll();
                });
        }
        found.entry->StartTimer(CDeviceOptionUI::kTimerLinkWatch, 2000);
    } else {
        channel.SetMode(1);
        found.entry->StartConnect();
        if (manager_.GetWindow() != nullptr) {
            manager_.GetWindow()->SendMessage(CDeviceOptionUI::kEntryMessage,
                                              static_cast<uintptr_t>(device.entryIndex()), 1);
        }
        if (device.hasBattery()) {
            device.StatusPoll();
        }
    }
}

void CDeviceList::SetUpKeyPanel(CZentrixUSBDevice& device) {
    // The macro panel, when the page has one, lists the macros the key panel offers.
    auto* macros = dynamic_cast<panels::CMacroControlUI*>(device.FindSubControl("MacroControlItem"));
    if (macros != nullptr) {
        macros->SetDataFolder(device.UserDataFolder());
        macros->SetMousePage(device.GetKindIndex() == 1);
        macros->LoadMacroList();
    }
    auto* panel = dynamic_cast<panels::CKeySetControlUI*>(device.FindSubControl("KeySetControlItem"));
    if (panel == nullptr) {
        return;
    }
    panel->Init();
    panel->SetDeviceKind(device.GetKindIndex());
    panel->SetMainWindow(host_.windowHandle);
    if (macros != nullptr) {
        panel->SetMacroList(macros->MacroNames());
        return;
    }
    profiles::MacroList list(device.UserDataFolder());
    list.LoadMacroList();
    std::vector<std::string> names;
    for (const auto& row : list.rows()) {
        names.push_back(row.name);
    }
    panel->SetMacroList(names);
}

void CDeviceList::TakePartInSync() {
    for (const Kind kind : {kMouse, kKeyboard, kMousePad, kHeadset}) {
        for (CZentrixUSBDevice* device : Devices(kind)) {
            if (!device->IsConnected()) {
                continue;
            }
            device->deviceDriver().SetSyncOption(true);
            if (CDeviceOptionUI* entry = Entry(device->entryIndex())) {
                entry->SetSynchroMark(true);
            }
        }
    }
}

void CDeviceList::OnDeviceDetached(size_t slot) {
    if (slot >= hid::kSupportedDeviceCount) {
        return;
    }
    const SupportedDeviceRecord record = slots_.Get(slot);
    if (record.collectionRole == hid::kRoleEvent) {
        SupportedDeviceRecord identity = record;
        if (const auto commandRow = FindRow(record, hid::kRoleCommand)) {
            identity = RepresentedBy(*commandRow);
        }
        const Found found = FindDevice(identity);
        if (found.device != nullptr && found.device->deviceDriver().eventInterfaceOpen()) {
            found.device->deviceDriver().CloseEventInterface();
        }
        LogArrivalOrRemoval(record.productCode, false);
        return;
    }
    if (PartnerTest(slot)) {
        if (IsCableCode(record.productCode)) {
            SwitchTransport(slot);
        }
        LogArrivalOrRemoval(record.productCode, false);
        return;
    }
    Disconnect(slot);
    LogArrivalOrRemoval(record.productCode, false);
}

void CDeviceList::Disconnect(size_t slot) {
    const SupportedDeviceRecord record = slots_.Get(slot);
    const Found found = FindByEntryIdentity(slot);
    if (found.device == nullptr) {
        return;
    }
    found.device->DeviceRemoved();  // its threads stop before its interfaces close
    CommandChannel& channel = found.device->channel();
    channel.SetConnected(false);
    // Whichever way it was reached, nothing of it stays open.
    channel.CloseInterface(CommandChannel::Path::kCable);
    channel.CloseInterface(CommandChannel::Path::kReceiver);
    found.device->SetReceiver(false);
    if (host_.lightingChanged) {
        host_.lightingChanged();
    }
    if (record.productCode == hid::kProductMouse ||
        record.productCode == hid::kProductMouseReceiver) {
        DebugOutput::Write("鼠标设备丢失");
    }
    HideEntry(found.device->entryIndex());
}

CDeviceOptionUI* CDeviceList::Entry(int index) {
    ui::CContainerUI* entries = EntryLayout();
    return entries != nullptr ? dynamic_cast<CDeviceOptionUI*>(entries->GetItemAt(index)) : nullptr;
}

int CDeviceList::EntryCount() {
    ui::CContainerUI* entries = EntryLayout();
    return entries != nullptr ? entries->GetCount() : 0;
}

void CDeviceList::ShowEntry(int index, bool visible, bool select) {
    CDeviceOptionUI* entry = Entry(index);
    if (entry == nullptr) {
        return;
    }
    entry->SetVisible(visible);
    if (select) {
        if (ui::CTabLayoutUI* pages = Tab(kDeviceSwitch)) {
            pages->SelectItem(entry->boundIndex());
        }
        if (ui::CTabLayoutUI* power = Tab(kPowerSwitch)) {
            if (entry->powerIndex() >= 0) {
                power->SetVisible(true);
                power->SelectItem(entry->powerIndex());
            } else {
                power->SetVisible(false);
            }
        }
        entry->Select(true);
        entry->WakeFrame();  // its page shows: the picture takes the frame
    }
    CountVisible();
}

void CDeviceList::CountVisible() {
    const Visible visible = FirstVisibleEntry();
    if (ui::CControlUI* none = manager_.FindControl(kNoDevice)) {
        none->SetVisible(visible.count == 0);
    }
    if (visible.count == 0) {
        if (ui::CTabLayoutUI* power = Tab(kPowerSwitch)) {
            power->SelectItem(0);
        }
        if (ui::CTabLayoutUI* pages = Tab(kDeviceSwitch)) {
            pages->SelectItem(0);
        }
    }
    if (host_.manyEntriesVisible) {
        host_.manyEntriesVisible(visible.count > 1);
    }
    int marked = 0;
    for (int i = 0; i < EntryCount(); ++i) {
        if (CDeviceOptionUI* entry = Entry(i);
            entry != nullptr && entry->IsVisibleFlag() && entry->IsSynchroMarked()) {
            ++marked;
        }
    }
    if (marked < 2) {
        for (int i = 0; i < EntryCount(); ++i) {
            if (CDeviceOptionUI* entry = Entry(i)) {
                entry->SetSynchroMark(false);
            }
        }
    }
}

void CDeviceList::HideEntry(int index) {
    CDeviceOptionUI* entry = Entry(index);
    if (entry == nullptr) {
        return;
    }
    const bool wasShown = entry->IsVisibleFlag() && entry->IsSelected();
    if (wasShown && host_.endEditing) {
        host_.endEditing(entry->GetDevice());
    }
    entry->SetVisible(false);
    if (wasShown) {
        entry->Select(false);
        if (const Visible next = FirstVisibleEntry(); next.found) {
            ShowEntry(next.index, true, true);
            return;
        }
    }
    CountVisible();
}

CDeviceList::Visible CDeviceList::FirstVisibleEntry() {
    Visible visible;
    for (int i = 0; i < EntryCount(); ++i) {
        if (CDeviceOptionUI* entry = Entry(i); entry != nullptr && entry->IsVisibleFlag()) {
            if (!visible.found) {
                visible.found = true;
                visible.index = i;
            }
            ++visible.count;
        }
    }
    return visible;
}

int CDeviceList::SelectedEntry() {
    for (int i = 0; i < EntryCount(); ++i) {
        if (CDeviceOptionUI* entry = Entry(i);
            entry != nullptr && entry->IsVisibleFlag() && entry->IsSelected()) {
            return i;
        }
    }
    return -1;
}

CZentrixUSBDevice* CDeviceList::CurrentDevice() {
    CDeviceOptionUI* entry = Entry(SelectedEntry());
    return entry != nullptr ? entry->GetDevice() : nullptr;
}

void CDeviceList::SelectNeighbour(int step) {
    const int count = EntryCount();
    const int from = SelectedEntry();
    if (count == 0 || from < 0) {
        return;
    }
    for (int n = 1; n < count; ++n) {
        const int i = ((from + step * n) % count + count) % count;
        if (CDeviceOptionUI* entry = Entry(i); entry != nullptr && entry->IsVisibleFlag()) {
            ShowEntry(i, true, true);
            return;
        }
    }
}

bool CDeviceList::AnyConnected() const {
    std::lock_guard lock(listsMutex_);
    for (const auto& list : lists_) {
        for (const CZentrixUSBDevice* device : list) {
            if (device->IsConnected()) {
                return true;
            }
        }
    }
    return false;
}

void CDeviceList::ReloadChangedProfiles(const std::vector<std::filesystem::path>& files) {
    for (int kind = 0; kind < kKinds; ++kind) {
        for (CZentrixUSBDevice* device : Devices(static_cast<Kind>(kind))) {
            const std::filesystem::path folder = device->UserDataFolder();
            const bool touched = std::any_of(files.begin(), files.end(), [&](const auto& file) {
                return file.parent_path() == folder;
            });
            if (touched && device->IsConnected()) {
                device->ReloadChangedProfile();
            }
        }
    }
}

std::vector<CZentrixUSBDevice*> CDeviceList::Devices(Kind kind) const {
    std::lock_guard lock(listsMutex_);
    return lists_[static_cast<size_t>(kind)];
}

}  // namespace marlo::app
