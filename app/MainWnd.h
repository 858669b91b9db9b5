#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "ChildWindows.h"
#include "AudioCompanion.h"
#include "platform/OtherWindows.h"
#include "DeviceList.h"
#include "SyncLighting.h"
#include "WorkerSlots.h"
#include "hid/DeviceDiscovery.h"
#include "hid/DeviceSlots.h"
#include "hook/DeviceHook.h"
#include "platform/FolderWatch.h"
#include "platform/WorkerThread.h"
#include "ui/MenuWnd.h"
#include "ui/ResourceManager.h"
#include "ui/TrayIcon.h"
#include "ui/WindowImplBase.h"

namespace marlo::ui {
class CButtonUI;
}

namespace marlo::pages {
class CZentrixKeyboardDevice;
}

namespace marlo::app {

class CControlRouter;

// The program's one main window: it lives in the tray, opens on demand, and closing it only
// hides it; the tray menu's "exit" ends the program. It owns the device list (and through it
// every device object and page), the worker threads, and the dispatch of every message,
// timer and control event.
class CMainWnd : public ui::WindowImplBase, public ui::IQueryControlText {
  public:
    static constexpr uint32_t kWmActivate = 0x0006;
    static constexpr uint32_t kWmMouseHover = 0x02A1;
    static constexpr uint32_t kWmMouseLeave = 0x02A3;
    static constexpr uint32_t kWmPowerBroadcast = 0x0218;
    static constexpr uint32_t kWmDisplayChange = 0x007E;
    static constexpr uintptr_t kPbtSuspend = 0x4;
    static constexpr uintptr_t kPbtResume = 0x12;
    static constexpr uint32_t kTrayMessage = ui::kWmUser + 1;
    static constexpr uint32_t kHookSwitch = ui::kWmUser + 30;
    // The hook mode of capturing one key for the key assignment panel.
    static constexpr uint32_t kHookKeyCapture = 0x1;
    // From a device's event thread: its entry reads it again (wParam the entry's index).
    static constexpr uint32_t kDeviceSyncRequest = ui::kWmUser + 200;
    // From any thread: a device's resting frame timer runs again (wParam the entry's index).
    static constexpr uint32_t kFrameWake = ui::kWmUser + 201;
    // A device's work thread finished work whose results wait (wParam: the entry's index).
    static constexpr uint32_t kDeviceWorkDone = ui::kWmUser + 202;
    static constexpr uint32_t kTimerFitScreen = 1011;
    static constexpr uint32_t kTimerTrayMenu = 1032;
    static constexpr uint32_t kTimerProfileSwitch = 1055;
    static constexpr uint32_t kTimerGameLighting = 1066;
    static constexpr uint32_t kProgressShown = 0xC00;
    static constexpr uint32_t kLanguageChanged = 0xC11;
    static constexpr uint32_t kOpenSettings = 0xC15;
    static constexpr uint32_t kUpdateSeen = 0xC16;
    static constexpr uint32_t kEntryMessage = 0xD03;
    static constexpr uint32_t kTrayIconResource = 107;
    static constexpr int kBaseWidth = 1000;
    static constexpr int kBaseHeight = 640;
    static constexpr int kCopyDataBufferSize = 512;
    // Where the person's "do not show again" answers are kept.
    static constexpr const char* kNoticesKey = "SOFTWARE\\Marlo Gear\\Notices";
    static constexpr const char* kRunningOnNotice = "RunningOnWithoutTray";

    // The registered messages this window sends or handles, by name.
    static constexpr const char* kUpdateRequest = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
    static constexpr const char* kLightingOwner = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
    static constexpr const char* kLightingRequest = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
    static constexpr const char* kToolQuery = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
    static constexpr const char* kAudioColour = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";
    // The hook's registered messages (hook::CDeviceHook::kMessages): the input messages,
    // then the game events.
    static constexpr size_t kHookMessageCount = 20;
    static constexpr size_t kGameMessageCount =
        hook::CDeviceHook::kMessages.size() - kHookMessageCount;

    struct Options {
        // Where interfaces are looked for (the process default when empty).
        std::filesystem::path hidRoot;
        // The attachment slots' table (the built-in one when not given).
        std::optional<std::array<hid::SupportedDeviceRecord, hid::kSupportedDeviceCount>> table;
        bool discovery = true;
        // How long a game's lighting shows before the device's own returns.
        uint32_t gameLightingMs = 5000;
    };

    // `instanceMessage` is the number "Marlo Gear" registered to.
    explicit CMainWnd(uint32_t instanceMessage);
    CMainWnd(uint32_t instanceMessage, Options options);
    ~CMainWnd() override;

    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    std::string QueryControlText(std::string_view, const ui::CControlUI*) override { return {}; }
    std::unique_ptr<ui::CControlUI> CreateControl(std::string_view className) override;

    // Shows every window in the language at `index` of the language list, with its fonts,
    // and keeps the choice; nothing when it is the current one.
    void ApplyLanguage(int index);
    int currentLanguage() const { return currentLanguage_; }
    // The updatable items: each connected product family with its firmware version, and the
    // program itself.
    std::vector<online::UpdateItem> UpdateItems() const;
    void OpenSettings(CChildWindows::Placement placement);
    CChildWindows& children() { return *children_; }

    // Ends the program as the tray menu's "exit" does.
    void Exit();
    // Restored, shown and in front; also what a second start asks for.
    void BringToFront();
    // The DPI for a monitor: 144 on one wider than 1500 and taller than 960 pixels, else 96.
    static int SkinDpiFor(const ui::UiRect& monitor);
    void FitToScreen();

    // --- What the control routing and the device list use. ---
    CDeviceList* devices() { return devices_.get(); }
    hid::DeviceSlots& attachmentSlots() { return slots_; }
    SyncLighting* syncLighting() { return sync_.get(); }
    WorkerSlots& workers() { return workers_; }
    // Sets the lighting-control flag, shows it in "control_light_status" and hands it to the
    // mice, mouse pads and keyboards.
    void SetLightingControl(bool on);
    bool lightingControl() const { return lightingControl_; }
    // Toggled by the person: also broadcast to other programs.
    void ToggleLightingControl();
    // The status line under the page: empty, or that the keyboard did not take a write.
    void ShowWriteStatus(bool failed);
    // The music styles window; on OK the styles are kept in AudioFile.json and the current
    // style's colour goes to the audio companion.
    void OpenMusicStyles();
    // The audio companion's window when it is there, greeted (2, 4, 5) at the first contact.
    std::optional<platform::OtherWindows::Window> AudioCompanionWindow();
    static void SendToCompanion(const platform::OtherWindows::Window& audio, uint32_t wParam,
                                int64_t lParam);
    // The audio-colour message to the audio companion's window, when it is there.
    void SendAudioColour(uint32_t wParam, int64_t lParam);
    // The audio companion runs while a device shows its music mode, and only then.
    void UpdateAudioCompanion();
    // After the keys were written: a message when the macros did not fit, and the status line.
    void ShowKeysWritten(int macros, bool failed);
    // The input hook for recording a macro, with the mode that says where its steps go; false
    // when it cannot be installed. StopInputHook removes it.
    bool StartInputHook(uint32_t mode);
    void StopInputHook();
    // Asks with the message box; 1 when the person goes ahead.
    uint32_t Ask(const std::string& textId, bool withCancel);
    // Starts the profile switch of the current device (timer 1055).
    void ScheduleProfileSwitch();
    bool awake() const { return awake_; }
    bool hookHolderInstalled() const { return hookHolderInstalled_; }
    int hookMessagesRouted() const { return hookMessagesRouted_; }
    bool manyEntriesVisible() const { return manyEntriesVisible_; }

    const ui::CTrayIcon& tray() const { return tray_; }
    const ui::CMenuWnd* trayMenu() const { return trayMenu_.get(); }
    const std::vector<uint8_t>& spectrum() const { return spectrum_; }
    const std::vector<uint8_t>& colours() const { return colours_; }

  private:
    void OnWindowInit();
    void StartWorkers();
    // Follows the device folders for profiles other programs write.
    void WatchProfiles();
    void OnClick(ui::TNotifyUI& msg);
    void OnTimer(uint32_t id);
    void ToggleFromTray();
    void OpenTrayMenu();
    void OnMenuCommand(const ui::MenuCmd& cmd);
    void HideToTray();
    void TellAboutRunningOn();
    void ShowNoDeviceHint();
    void LoadAudioStyles();
    void HandWindowState(bool state);
    void HandLightingControl(bool on);
    void AnswerToolQuery();
    void ShowGameLighting(uintptr_t which, intptr_t mode);
    void RestoreOwnLighting();
    // The spectrum the companion sent, to the keyboards (their music mode shows it).
    void HandSpectrum();
    static constexpr int kMusicMode = 29;
    static constexpr uint32_t kColourBlockKind = 10;
    static constexpr uint32_t kColourSendTimeoutMs = 1500;
    void Shutdown();
    void OnEntryMessage(int index, bool show);
    // The selected profile to the keyboard in the order it takes it, with what went wrong said.
    void ApplyKeyboardProfile(pages::CZentrixKeyboardDevice& keyboard);
    // The status bar's line: the keyboard did not take the last write, or nothing.
    // Messages that come only after the awake gate.
    bool HandleAwakeMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, bool& handled);
    bool IsHookMessage(uint32_t message) const;
    bool IsGameMessage(uint32_t message) const;

    const uint32_t instanceMessage_;
    // The numbers of the registered messages, taken once (they do not change in a run).
    const uint32_t updateRequest_;
    const uint32_t lightingRequest_;
    const uint32_t toolQuery_;
    std::array<uint32_t, kHookMessageCount> hookMessages_{};
    std::array<uint32_t, kGameMessageCount> gameMessages_{};
    Options options_;
    ui::CTrayIcon tray_;
    std::unique_ptr<ui::CMenuWnd> trayMenu_;
    std::array<ui::CControlUI*, 9> topBar_{};
    bool trayShown_ = false;
    bool toldAboutRunningOn_ = false;
    std::vector<uint8_t> spectrum_;
    std::vector<uint8_t> colours_;

    hid::DeviceSlots slots_;
    std::unique_ptr<CDeviceList> devices_;
    std::unique_ptr<CAudioCompanion> audio_;
    std::filesystem::path greetedCompanion_;  // the companion window last greeted
    std::unique_ptr<CControlRouter> router_;
    hook::CDeviceHook hook_;
    std::unique_ptr<hid::DeviceDiscovery> discovery_;
    std::unique_ptr<SyncLighting> sync_;
    platform::WorkerThread syncThread_;
    // The device folders: a profile another program wrote is read again by its device.
    platform::FolderWatch profileWatch_;
    // Calls posted from other threads run only while the window lives.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    WorkerSlots workers_;
    std::unique_ptr<CChildWindows> children_ = std::make_unique<CChildWindows>(*this);
    int currentLanguage_ = -1;
    bool windowInitDone_ = false;
    bool shutDown_ = false;

    bool active_ = false;
    bool hover_ = false;
    bool displayChanged_ = false;
    bool lightingControl_ = true;
    bool awake_ = true;
    bool hookHolderInstalled_ = false;
    int hookMessagesRouted_ = 0;
    bool manyEntriesVisible_ = false;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
};

}  // namespace marlo::app
