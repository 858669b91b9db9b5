#include "MainWnd.h"

#include <strings.h>
#include <algorithm>
#include <cinttypes>
#include <cstring>

#include "AboutWnd.h"
#include "ChildWindows.h"
#include "ControlRouter.h"
#include "LanguageFonts.h"
#include "LanguageSettings.h"
#include "MsgWnd.h"
#include "SkinClasses.h"
#include "hook/DeviceHook.h"
#include "online/UpdateItem.h"
#include "pages/DeviceKeyButtonUI.h"
#include "pages/DeviceProfileUI.h"
#include "pages/SelectPanelUI.h"
#include "pages/ZentrixHS6533Device.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "pages/ZentrixMouseDevice.h"
#include "pages/ZentrixMousePadDevice.h"
#include "panels/DeviceOptionUI.h"
#include "platform/DebugOutput.h"
#include "platform/JsonDocument.h"
#include "platform/KeptDocument.h"
#include "platform/MessageEndpoint.h"
#include "platform/MessageRegistry.h"
#include "platform/OtherWindows.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"
#include "platform/SettingsStore.h"
#include "profiles/AudioStyles.h"
#include "ui/ControlUI.h"
#include "ui/DialogBuilder.h"
#include "ui/DisplayBackend.h"
#include "ui/ResourceManager.h"

namespace marlo::app {

using pages::CZentrixUSBDevice;
using platform::DebugOutput;

namespace {

constexpr const char* kTopBar[] = {"closebtn",    "maxbtn",   "restorebtn",   "minbtn", "skinbtn",
                                   "gamemodebtn", "cloudbtn", "smarteyesbtn", "setbtn"};

// The program's name, and the audio companion's window (class and title) after it.
constexpr const char* kProduct = "Marlo Gear";

}  // namespace

CMainWnd::CMainWnd(uint32_t instanceMessage) : CMainWnd(instanceMessage, Options{}) {}

CMainWnd::CMainWnd(uint32_t instanceMessage, Options options)
    : instanceMessage_(instanceMessage),
      updateRequest_(platform::MessageRegistry::Register(kUpdateRequest)),
      lightingRequest_(platform::MessageRegistry::Register(kLightingRequest)),
      toolQuery_(platform::MessageRegistry::Register(kToolQuery)),
      options_(std::move(options)),
      slots_(options_.table ? hid::DeviceSlots(*options_.table) : hid::DeviceSlots()) {
    // In their order: the input messages, then the game events.
    const auto& names = hook::CDeviceHook::kMessages;
    for (size_t i = 0; i < names.size(); ++i) {
        const uint32_t message = platform::MessageRegistry::Register(names[i]);
        if (i < kHookMessageCount) {
            hookMessages_[i] = message;
        } else {
            gameMessages_[i - kHookMessageCount] = message;
        }
    }
    for (const char* name : {kLightingOwner, kAudioColour}) {
        platform::MessageRegistry::Register(name);
    }
}

CMainWnd::~CMainWnd() {
    // A window destroyed without its WM_DESTROY (a test, a failed start) still stops its
    // workers before the devices they look at go.
    if (!shutDown_) {
        workers_.StopAll();
    }
    profileWatch_.Stop();
    ui::CResourceManager::GetInstance().SetTextQueryInterface(nullptr);
}

std::unique_ptr<ui::CControlUI> CMainWnd::CreateControl(std::string_view className) {
    return CSkinClasses(manager_).CreateControl(className);
}

void CMainWnd::InitWindow() {
    DebugOutput::Write("InitWindow");
    ui::CResourceManager::GetInstance().SetTextQueryInterface(this);
    for (size_t i = 0; i < topBar_.size(); ++i) {
        topBar_[i] = manager_.FindControl(kTopBar[i]);
    }
    SetIcon(kTrayIconResource);
    trayShown_ = tray_.CreateTrayIcon(GetHWND(), kTrayIconResource, kProduct, kTrayMessage);

    CDeviceList::Host host;
    host.bringToFront = [this] { BringToFront(); };
    host.manyEntriesVisible = [this](bool many) { manyEntriesVisible_ = many; };
    host.endEditing = [this](CZentrixUSBDevice*) {
        // Editing that captures input ends with the page: the hooks go.
        if (hookHolderInstalled_) {
            SendMessage(kHookSwitch, 0, 0);
        }
    };
    const platform::WindowHandle handle = GetHWND();
    host.syncRequested = [handle](int entryIndex) {
        // On the device's event thread: the window does the rest on the UI thread.
        if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
            backend->loop().PostMessage(handle, kDeviceSyncRequest,
                                        static_cast<uintptr_t>(entryIndex), 0);
        }
    };
    host.frameWake = [handle](int entryIndex) {
        if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
            backend->loop().PostMessage(handle, kFrameWake, static_cast<uintptr_t>(entryIndex), 0);
        }
    };
    host.workDone = [handle](int entryIndex) {
        if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
            backend->loop().PostMessage(handle, kDeviceWorkDone, static_cast<uintptr_t>(entryIndex),
                                        0);
        }
    };
    host.lightingChanged = [this] { UpdateAudioCompanion(); };
    host.windowHandle = handle;
    devices_ = std::make_unique<CDeviceList>(manager_, this, slots_, std::move(host));
    audio_ = std::make_unique<CAudioCompanion>(platform::Paths::ExecutableDir() / "marlo-audio");
    router_ = std::make_unique<CControlRouter>(*this);
}

void CMainWnd::OnWindowInit() {
    if (windowInitDone_) {
        return;
    }
    windowInitDone_ = true;
    // The lighting is ours: programs that light devices too hear it.
    platform::EndpointRequest owner;
    owner.message = kLightingOwner;
    owner.wParam = 1;
    owner.lParam = 1;
    platform::OtherWindows::Broadcast(owner);

    if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
        const ui::UiRect screen = backend->ScreenRect();
        screenWidth_ = screen.width;
        screenHeight_ = screen.height;
    }
    devices_->CreateInitialDevices();
    if (trayShown_) {
        HideToTray();  // the program starts in the notification area
    } else {
        // Without a notification area a hidden window could never be reached again.
        DebugOutput::Write("no system tray: the main window starts shown");
        ShowNoDeviceHint();
        ShowWindow(true, true);
    }
    StartWorkers();
    SetTimer(kTimerFitScreen, 100);
    LoadAudioStyles();
}

void CMainWnd::StartWorkers() {
    if (options_.discovery) {
        auto* backend = ui::CPaintManagerUI::GetBackend();
        if (backend != nullptr) {
            discovery_ = std::make_unique<hid::DeviceDiscovery>(slots_, backend->loop(), GetHWND(),
                                                                instanceMessage_);
            if (!options_.hidRoot.empty()) {
                discovery_->SetRoot(options_.hidRoot);
            }
            discovery_->Start();
            workers_.Place(WorkerSlots::kDiscoverySlot, &discovery_->worker());
        }
    }
    sync_ = std::make_unique<SyncLighting>(*devices_);
    syncThread_.Start([this](platform::Event& stop) { sync_->Run(stop); }, "sync lighting");
    workers_.Place(WorkerSlots::kSyncLightingSlot, &syncThread_);
    WatchProfiles();
}

void CMainWnd::WatchProfiles() {
    auto* backend = ui::CPaintManagerUI::GetBackend();
    if (backend == nullptr) {
        return;
    }
    platform::MessageLoop& loop = backend->loop();
    profileWatch_.Start(platform::Paths::ProductFolder(),
                        [&loop, alive = std::weak_ptr<int>(alive_),
                         this](const std::vector<std::filesystem::path>& files) {
                            loop.Post([alive, files, this] {
                                if (!alive.expired() && devices_ != nullptr) {
                                    devices_->ReloadChangedProfiles(files);
                                }
                            });
                        });
}

void CMainWnd::LoadAudioStyles() {
    // The person's styles; a file that cannot be used is kept aside before the factory copy
    // takes its place, and one that cannot be set aside is left alone.
    const auto user = platform::Paths::ProductFolder() / "AudioFile.json";
    const auto isStyles = profiles::AudioStyles::IsStylesShape;
    const platform::KeptDocument kept =
        platform::KeptDocument::Read(user, profiles::AudioStyles::kMaxFileBytes, isStyles);
    if (kept.usable() || kept.status == platform::KeptDocument::Status::kBlocked) {
        return;
    }
    const Json::Value factory = platform::JsonDocument::Read(
        platform::Paths::DefaultDataDir() / "AudioFile.json", profiles::AudioStyles::kMaxFileBytes);
    if (isStyles(factory)) {
        platform::JsonDocument::Write(user, factory);
    }
}

void CMainWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType != ui::notify::kTimer) {
        DebugOutput::Printf("%s %s", msg.sType.c_str(),
                            msg.pSender ? msg.pSender->GetName().c_str() : "");
    }
    if (msg.sType == ui::notify::kWindowInit) {
        OnWindowInit();
    } else if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    } else if (router_ != nullptr && msg.sType != ui::notify::kTimer) {
        router_->Route(msg);
    }
    WindowImplBase::Notify(msg);
}

void CMainWnd::OnClick(ui::TNotifyUI& msg) {
    const std::string& name = msg.pSender->GetName();
    if (name == "closebtn") {
        TellAboutRunningOn();
        HideToTray();
        HandWindowState(false);
    } else if (name == "nodevice_ok_btn") {
        HideToTray();
    } else if (msg.pSender == topBar_[8]) {
        OpenSettings(CChildWindows::Placement::kBesideMain);
    } else if (msg.pSender == topBar_[3]) {
        SendMessage(ui::kWmSysCommand, ui::kScMinimize);
    } else if (msg.pSender == topBar_[1]) {
        SendMessage(ui::kWmSysCommand, ui::kScMaximize);
        topBar_[1]->SetVisible(false);
        topBar_[2]->SetVisible(true);
    } else if (msg.pSender == topBar_[2]) {
        SendMessage(ui::kWmSysCommand, ui::kScRestore);
        topBar_[2]->SetVisible(false);
        topBar_[1]->SetVisible(true);
    } else if (router_ != nullptr) {
        router_->Route(msg);
    }
}

void CMainWnd::TellAboutRunningOn() {
    // Without a tray icon nothing shows that the program goes on: say so, once a run, until
    // the person asks not to be told again.
    if (trayShown_ || toldAboutRunningOn_) {
        return;
    }
    toldAboutRunningOn_ = true;
    const platform::SettingsStore store = platform::SettingsStore::UserStore();
    if (const auto key = store.OpenKey(kNoticesKey);
        key && key->ReadDword(kRunningOnNotice).value_or(0) == 1) {
        return;
    }
    bool dontShowAgain = false;
    CMsgWnd::ShowNotice(this, "message_text_37", manager_.GetDPI(), dontShowAgain);
    if (dontShowAgain) {
        const auto key = store.CreateKey(kNoticesKey);
        if (!key || !key->WriteDword(kRunningOnNotice, 1)) {
            DebugOutput::Write("the notice setting could not be kept");
        }
    }
}

void CMainWnd::ApplyLanguage(int index) {
    if (index == currentLanguage_) {
        return;
    }
    if (const auto faces = LanguageFonts::FacesFor(index, currentLanguage_)) {
        const ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend();
        LanguageFonts::SetFonts(backend != nullptr ? LanguageFonts::InstalledFace(*faces, *backend)
                                                   : faces->front());
    }
    currentLanguage_ = index;
    if (const auto id = LanguageSettings::LoadLanguage(index)) {
        LanguageSettings::SaveLanguage(*id);
    }
    if (ui::CControlUI* root = manager_.GetRoot()) {
        root->Invalidate();
    }
    children_->TellLanguageChanged();
}

std::vector<online::UpdateItem> CMainWnd::UpdateItems() const {
    // The device behind each of the first entries of the device list, when it is connected.
    std::vector<uint16_t> versions;
    for (const auto kind : {CDeviceList::kMouse, CDeviceList::kKeyboard, CDeviceList::kMousePad}) {
        uint16_t version = 0;
        if (devices_ != nullptr) {
            for (CZentrixUSBDevice* device : devices_->Devices(kind)) {
                if (device->IsConnected() && device->deviceDriver().firmwareVersion() != 0) {
                    version = device->deviceDriver().firmwareVersion();
                    break;
                }
            }
        }
        versions.push_back(version);
    }
    return online::BuildUpdateItems(versions, online::ProgramVersionNumber(CAboutWnd::Version()));
}

void CMainWnd::OpenSettings(CChildWindows::Placement placement) {
    children_->OpenSettings(placement, manager_.GetDPI(), currentLanguage_, UpdateItems());
}

void CMainWnd::HideToTray() {
    ShowWindow(false, true);
    if (router_ != nullptr) {
        router_->macros().StopRecordingUnlessShown(true);
    }
}

bool CMainWnd::StartInputHook(uint32_t mode) {
    hookHolderInstalled_ = false;
    return hook_.Install(0, mode, GetHWND(), true, true) == 1;
}

void CMainWnd::StopInputHook() {
    hook_.Uninstall();
}

void CMainWnd::ShowNoDeviceHint() {
    if (ui::CControlUI* hint = manager_.FindControl("No_device_Link")) {
        hint->SetVisible(devices_ == nullptr || !devices_->AnyConnected());
    }
}

void CMainWnd::HandWindowState(bool state) {
    if (devices_ == nullptr) {
        return;
    }
    for (const auto kind : {CDeviceList::kMouse, CDeviceList::kKeyboard}) {
        for (CZentrixUSBDevice* device : devices_->Devices(kind)) {
            device->SetWindowState(state);
        }
    }
}

void CMainWnd::HandLightingControl(bool on) {
    if (devices_ == nullptr) {
        return;
    }
    for (const auto kind : {CDeviceList::kMouse, CDeviceList::kMousePad, CDeviceList::kKeyboard}) {
        for (CZentrixUSBDevice* device : devices_->Devices(kind)) {
            device->SetLightingControl(on);
        }
    }
}

void CMainWnd::SetLightingControl(bool on) {
    lightingControl_ = on;
    if (ui::CControlUI* status = manager_.FindControl("control_light_status")) {
        status->SetText(on ? "控制灯光" : "不控制灯光");
    }
    HandLightingControl(on);
}

void CMainWnd::ToggleLightingControl() {
    SetLightingControl(!lightingControl_);
    platform::EndpointRequest owner;
    owner.message = kLightingOwner;
    owner.wParam = 1;
    owner.lParam = lightingControl_ ? 1 : 0;
    platform::OtherWindows::Broadcast(owner);
}

uint32_t CMainWnd::Ask(const std::string& textId, bool withCancel) {
    return CMsgWnd::ShowMessage(this, "", textId, manager_.GetDPI(), true, withCancel ? 1 : 0);
}

void CMainWnd::ScheduleProfileSwitch() {
    SetTimer(kTimerProfileSwitch, 400);
}

int CMainWnd::SkinDpiFor(const ui::UiRect& monitor) {
    return monitor.width > 1500 && monitor.height > 960 ? 144 : 96;
}

void CMainWnd::FitToScreen() {
    ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend();
    const bool visible = IsVisible() && GetState() != State::kMinimized;
    if (!visible) {
        SendMessage(ui::kWmSysCommand, ui::kScRestore);
    }
    const int dpi = SkinDpiFor(backend->ScreenRect());
    manager_.SetDPI(dpi);
    ResizeClient(manager_.Scale(kBaseWidth), manager_.Scale(kBaseHeight));
    CenterWindow();
    ShowWindow(visible, false);
}

void CMainWnd::BringToFront() {
    ShowNoDeviceHint();
    HandWindowState(true);
    SendMessage(ui::kWmSysCommand, ui::kScRestore);
    CWindowWnd::BringToFront();
}

void CMainWnd::ToggleFromTray() {
    ShowNoDeviceHint();
    const bool visible = IsVisible() && GetState() != State::kMinimized;
    if (visible) {
        HideToTray();
        HandWindowState(false);
        return;
    }
    ShowWindow(true, true);
    FitToScreen();
    SendMessage(ui::kWmSysCommand, ui::kScRestore);
    CWindowWnd::BringToFront();
    HandWindowState(true);
}

void CMainWnd::OpenTrayMenu() {
    trayMenu_ = std::make_unique<ui::CMenuWnd>();
    // At the pointer; the display backend keeps the menu on the screen.
    trayMenu_->Init(GetHWND(), "xml/menu.xml", 0, 0,
                    ui::CMenuWnd::kAlignLeft | ui::CMenuWnd::kAlignTop | ui::CMenuWnd::kAtPointer);
}

void CMainWnd::OnMenuCommand(const ui::MenuCmd& cmd) {
    if (cmd.name == "exit") {
        Exit();
    } else if (cmd.name == "setwnd_menu") {
        OpenSettings(CChildWindows::Placement::kCentred);
    } else if (cmd.name == "about_menu") {
        children_->OpenAbout(manager_.GetDPI());
    } else if (router_ == nullptr || !router_->OnMenuCommand(cmd.name)) {
        DebugOutput::Printf("menu %s", cmd.name.c_str());
    }
}

void CMainWnd::Exit() {
    Close(0);
}

void CMainWnd::OnTimer(uint32_t id) {
    KillTimer(id);  // every timer of this window is one-shot
    switch (id) {
        case kTimerFitScreen:
            FitToScreen();
            break;
        case kTimerTrayMenu:
            OpenTrayMenu();
            break;
        case kTimerProfileSwitch:
            if (auto* keyboard =
                    dynamic_cast<pages::CZentrixKeyboardDevice*>(devices_->CurrentDevice())) {
                ApplyKeyboardProfile(*keyboard);
            } else if (CZentrixUSBDevice* device = devices_->CurrentDevice()) {
                device->LoadProfile();
                device->RefreshPage();
            }
            break;
        case kTimerGameLighting:
            RestoreOwnLighting();
            break;
        default:
            break;
    }
}

void CMainWnd::ApplyKeyboardProfile(pages::CZentrixKeyboardDevice& keyboard) {
    keyboard.ApplyProfile([this](int macros, bool failed) { ShowKeysWritten(macros, failed); });
}

void CMainWnd::ShowKeysWritten(int macros, bool failed) {
    if (macros == pages::CZentrixKeyboardDevice::kMacrosCannotAllocate) {
        CMsgWnd::ShowMessage(this, "", "message_text_7", manager_.GetDPI(), true, 0);
    } else if (macros != pages::CZentrixKeyboardDevice::kMacrosOk) {
        const std::string format =
            ui::CResourceManager::GetInstance().FindText("message_text_16").value_or("%d");
        std::string text = format;
        if (const size_t at = format.find("%d"); at != std::string::npos) {
            text = format.substr(0, at) + std::to_string(macros) + format.substr(at + 2);
        }
        CMsgWnd::ShowMessage(this, "", text, manager_.GetDPI(), false, 0);
    }
    ShowWriteStatus(failed);
}

void CMainWnd::OpenMusicStyles() {
    const auto path = platform::Paths::ProductFolder() / "AudioFile.json";
    const auto read = [&path] {
        return platform::KeptDocument::Read(path, profiles::AudioStyles::kMaxFileBytes,
                                            profiles::AudioStyles::IsStylesShape);
    };
    const auto styles = profiles::AudioStyles::FromDocument(read().value)
                            .value_or(profiles::AudioStyles{});
    const auto edited = children_->OpenMusic(manager_.GetDPI(), styles);
    if (!edited) {
        return;  // cancelled: the file stays as it was
    }
    // Written over the file as it is now: one edited into something unusable while the
    // window was open is kept aside first, and one that cannot be set aside is left alone.
    const platform::KeptDocument now = read();
    if (now.status == platform::KeptDocument::Status::kBlocked ||
        !platform::JsonDocument::Write(path, edited->ToDocument(now.value))) {
        DebugOutput::Printf("the music styles could not be saved: %s", path.c_str());
    }
    if (const auto audio = AudioCompanionWindow()) {
        platform::EndpointRequest request;
        request.kind = platform::EndpointRequest::Kind::kCopyData;
        request.window = audio->title;
        request.dataKind = kColourBlockKind;
        const auto block = edited->ColourBlock();
        request.data.assign(block.begin(), block.end());
        // A companion that hangs is given up on.
        platform::MessageEndpoint::Send(audio->socket, request, kColourSendTimeoutMs);
    }
}

std::optional<platform::OtherWindows::Window> CMainWnd::AudioCompanionWindow() {
    const std::string product = kProduct;
    auto audio = platform::OtherWindows::Find(product + "AUDIORECORD", product + "AudioRecord");
    if (audio && audio->socket != greetedCompanion_) {
        // The first contact with this companion: it is greeted before anything else.
        greetedCompanion_ = audio->socket;
        for (const uint32_t w : {2u, 4u, 5u}) {
            SendToCompanion(*audio, w, 0);
        }
    }
    return audio;
}

void CMainWnd::SendToCompanion(const platform::OtherWindows::Window& audio, uint32_t wParam,
                               int64_t lParam) {
    platform::EndpointRequest request;
    request.window = audio.title;
    request.message = kAudioColour;
    request.wParam = wParam;
    request.lParam = lParam;
    platform::OtherWindows::Send(audio, request);
}

void CMainWnd::SendAudioColour(uint32_t wParam, int64_t lParam) {
    if (const auto audio = AudioCompanionWindow()) {
        SendToCompanion(*audio, wParam, lParam);
    }
}

void CMainWnd::UpdateAudioCompanion() {
    bool needed = false;
    for (CZentrixUSBDevice* device : devices_->Devices(CDeviceList::kKeyboard)) {
        const auto* keyboard = dynamic_cast<pages::CZentrixKeyboardDevice*>(device);
        needed = needed || (keyboard != nullptr && keyboard->IsConnected() &&
                            keyboard->lightSettings().mode == kMusicMode);
    }
    if (audio_ != nullptr) {
        audio_->Need(needed);
    }
}

void CMainWnd::HandSpectrum() {
    // The bars as the companion sends them, lowest band first; fewer are taken as silent.
    std::array<uint8_t, devices::KeyboardLightingEngine::kBands> bands{};
    std::copy_n(spectrum_.begin(), std::min(spectrum_.size(), bands.size()), bands.begin());
    for (CZentrixUSBDevice* device : devices_->Devices(CDeviceList::kKeyboard)) {
        if (auto* keyboard = dynamic_cast<pages::CZentrixKeyboardDevice*>(device)) {
            keyboard->driver().SetSpectrum(bands);
        }
    }
}

void CMainWnd::ShowWriteStatus(bool failed) {
    if (ui::CControlUI* status = manager_.FindControl("str_test")) {
        status->SetResourceText(true);
        status->SetText(failed ? "message_text_38" : "");
    }
}

void CMainWnd::ShowGameLighting(uintptr_t which, intptr_t mode) {
    if (which <= 2) {
        if (CZentrixUSBDevice* device = devices_->CurrentDevice()) {
            device->ShowGameLighting(static_cast<int>(mode));
        }
    }
    SetTimer(kTimerGameLighting, options_.gameLightingMs);
}

void CMainWnd::RestoreOwnLighting() {
    if (CZentrixUSBDevice* device = devices_->CurrentDevice()) {
        device->RestoreOwnLighting();
        device->RefreshPage();
    }
}

void CMainWnd::AnswerToolQuery() {
    const auto tool = platform::OtherWindows::Find("WorkTool", "");
    if (!tool) {
        return;
    }
    std::array<int32_t, 256> block{};
    size_t n = 0;
    for (const int32_t id : {2, 3, 0, 2}) {
        block[n++] = id;
    }
    const auto& rows = hid::ProductFamilies();
    block[n++] = static_cast<int32_t>(rows.size());
    for (const hid::ProductFamilyRecord& row : rows) {
        block[n++] = row.number1;
        block[n++] = row.number2;
        block[n++] = row.reserved;
    }
    platform::EndpointRequest request;
    request.kind = platform::EndpointRequest::Kind::kCopyData;
    request.window = tool->title;
    request.wParam = GetHWND();
    request.dataKind = 5;
    request.data.assign(reinterpret_cast<const char*>(block.data()), sizeof block);
    platform::OtherWindows::Send(*tool, request);
}

void CMainWnd::Shutdown() {
    DebugOutput::Write("退出测试");
    if (router_ != nullptr) {
        router_->macros().StopRecordingUnlessShown(true);
    }
    hook_.Uninstall();
    children_->CloseAll();
    ShowWindow(false, false);
    workers_.StopAll();
    profileWatch_.Stop();
    devices_->StopDeviceThreads();
    shutDown_ = true;
    const std::string product = kProduct;
    if (const auto audio =
            platform::OtherWindows::Find(product + "AUDIORECORD", product + "AudioRecord")) {
        for (const uint32_t w : {2u, 4u, 5u}) {
            SendToCompanion(*audio, w, 0);
        }
    }
    audio_.reset();  // the companion this program started ends with it
}

void CMainWnd::OnEntryMessage(int index, bool show) {
    panels::CDeviceOptionUI* entry = devices_->Entry(index);
    if (entry == nullptr) {
        return;
    }
    if (!show) {
        devices_->HideEntry(index);
        DebugOutput::Write("2.4gcesvdfherhue 1");
    } else if (!entry->IsVisibleFlag()) {
        devices_->ShowEntry(index, true, !devices_->FirstVisibleEntry().found);
    }
}

bool CMainWnd::IsHookMessage(uint32_t message) const {
    return std::find(hookMessages_.begin(), hookMessages_.end(), message) != hookMessages_.end();
}

bool CMainWnd::IsGameMessage(uint32_t message) const {
    return std::find(gameMessages_.begin(), gameMessages_.end(), message) != gameMessages_.end();
}

intptr_t CMainWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                       bool& handled) {
    handled = false;
    switch (message) {
        case kWmActivate:
            active_ = hover_ = wParam != 0;
            HandWindowState(hover_);
            return 0;
        case kWmMouseLeave:
            DebugOutput::Write("鼠标移出");
            if (!active_) {
                hover_ = false;
                HandWindowState(false);
            }
            return 0;
        case kWmMouseHover:
            DebugOutput::Write("鼠标移入");
            if (!active_) {
                hover_ = true;
                HandWindowState(true);
            }
            return 0;
        default:
            break;
    }
    if (message == instanceMessage_) {
        DebugOutput::Printf("软件标示 %" PRIu32 "，%" PRIxPTR "d%" PRIxPTR "d", message, wParam,
                            static_cast<uintptr_t>(lParam));
        BringToFront();
        return 0;
    }
    if (message == updateRequest_) {
        children_->ForwardToSettings(message, wParam, lParam);
        return 0;
    }
    if (message == lightingRequest_) {
        if (wParam == 1 && (lParam == 0 || lParam == 1)) {
            SetLightingControl(lParam == 1);
        }
        return 0;
    }
    if (message == toolQuery_) {
        AnswerToolQuery();
        return 0;
    }
    if (message == ui::kWmDestroy) {
        tray_.DeleteTrayIcon();
        Shutdown();
        if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
            backend->loop().Quit(0);
        }
        handled = true;
        return 0;
    }
    if (message == kWmPowerBroadcast) {
        if (wParam == kPbtResume) {
            awake_ = true;
            HandLightingControl(lightingControl_);
        } else if (wParam == kPbtSuspend) {
            awake_ = false;
            HandLightingControl(false);
        }
        return 0;
    }
    // Arrivals and removals pass the gate: the slots have already changed, and the device
    // objects must follow them or a device unplugged while asleep would stay "connected".
    if (message == hid::DeviceDiscovery::kDeviceAttached) {
        devices_->OnDeviceAttached(wParam);
        return 0;
    }
    if (message == hid::DeviceDiscovery::kDeviceDetached) {
        devices_->OnDeviceDetached(wParam);
        return 0;
    }
    if (!awake_) {
        return 0;
    }
    HandleAwakeMessage(message, wParam, lParam, handled);
    return 0;
}

bool CMainWnd::HandleAwakeMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                  bool& handled) {
    if (IsHookMessage(message)) {
        // The panels that asked for input take it from here.
        ++hookMessagesRouted_;
        const size_t index = static_cast<size_t>(
            std::find(hookMessages_.begin(), hookMessages_.end(), message) - hookMessages_.begin());
        if (const auto* record = MessagePayload<hook::LowLevelKeyRecord>()) {
            const bool down = record->message == hook::CDeviceHook::kWmKeyDown;
            if (index == 0) {
                if (down) {
                    router_->OnCapturedKey(record->vkCode);
                }
            } else {
                router_->macros().OnHookKey(index, record->vkCode, down);
            }
        } else if (const auto* mouse = MessagePayload<hook::MouseHookRecord>()) {
            if (mouse->virtualKey != 0) {
                router_->macros().OnHookButton(mouse->virtualKey, mouse->down);
            }
        }
        return true;
    }
    if (IsGameMessage(message)) {
        ShowGameLighting(wParam, lParam);
        return true;
    }
    switch (message) {
        case ui::kWmCopyData: {
            const auto* block = MessagePayload<ui::CopyDataBlock>();
            if (block != nullptr && !block->bytes.empty() &&
                (block->kind == 1 || block->kind == 2)) {
                // A block longer than its buffer is cut to the buffer's size.
                auto& buffer = block->kind == 1 ? spectrum_ : colours_;
                const auto* bytes = reinterpret_cast<const uint8_t*>(block->bytes.data());
                buffer.assign(bytes,
                              bytes + std::min<size_t>(block->bytes.size(), kCopyDataBufferSize));
                if (block->kind == 1) {
                    HandSpectrum();
                }
            }
            return true;
        }
        case kWmDisplayChange:
            DebugOutput::Write("显示器分辨率发生变化");
            displayChanged_ = true;
            FitToScreen();
            return true;
        case ui::kWmTimer:
            OnTimer(static_cast<uint32_t>(wParam));
            handled = false;
            return true;
        case ui::kWmDpiChanged:
            manager_.SetDPI(static_cast<int>(wParam & 0xFFFF));
            ResizeClient(manager_.Scale(kBaseWidth), manager_.Scale(kBaseHeight));
            CenterWindow();
            DebugOutput::Write("界面 DPI 发生变化");
            return true;
        case kTrayMessage:
            if (lParam == ui::kWmLButtonUp) {
                ToggleFromTray();
            } else if (lParam == ui::kWmRButtonUp) {
                SetTimer(kTimerTrayMenu, 10);
            }
            return true;
        case kHookSwitch:
            // A key is captured for the key assignment panel: every key goes to it.
            hookHolderInstalled_ = wParam == 1;
            if (hookHolderInstalled_) {
                hook_.Install(0, kHookKeyCapture, GetHWND(), true, true);
            } else {
                hook_.Uninstall();
            }
            return true;
        case ui::kWmMenuCommand:
            handled = true;
            if (const auto* cmd = MessagePayload<ui::MenuCmd>()) {
                OnMenuCommand(*cmd);
            }
            return true;
        case kProgressShown:
            if (ui::CControlUI* progress = manager_.FindControl("setting_progress")) {
                progress->SetVisible(true);
            }
            return true;
        case kLanguageChanged:
            ApplyLanguage(static_cast<int>(wParam));
            return true;
        case kOpenSettings:
            OpenSettings(CChildWindows::Placement::kCentred);
            return true;
        case kUpdateSeen:
            if (topBar_[8] != nullptr) {
                topBar_[8]->SetAttribute("foreimage", "");
            }
            return true;
        case kEntryMessage:
            OnEntryMessage(static_cast<int>(wParam), lParam == 1);
            return true;
        case kFrameWake:
            if (panels::CDeviceOptionUI* entry = devices_->Entry(static_cast<int>(wParam))) {
                entry->WakeFrame();
            }
            return true;
        case kDeviceWorkDone:
            if (panels::CDeviceOptionUI* entry = devices_->Entry(static_cast<int>(wParam));
                entry != nullptr && entry->GetDevice() != nullptr) {
                entry->GetDevice()->DeliverWork();
            }
            return true;
        case kDeviceSyncRequest:
            if (panels::CDeviceOptionUI* entry = devices_->Entry(static_cast<int>(wParam))) {
                const bool mouse =
                    entry->GetDevice() != nullptr && entry->GetDevice()->GetKindIndex() == 1;
                entry->StartTimer(panels::CDeviceOptionUI::kTimerRefresh, mouse ? 50 : 500);
            }
            return true;
        default:
            return false;
    }
}

}  // namespace marlo::app
