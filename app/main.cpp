// marlo-gear: the desktop configurator. Starts in the notification area; a second start
// brings the running window to the front.
#include <QApplication>
#include <QSocketNotifier>

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "EndpointDelivery.h"
#include "LanguageSettings.h"
#include "MainWnd.h"
#include "PrivateFont.h"
#include "hid/HidInterface.h"
#include "platform/DebugOutput.h"
#include "platform/MessageEndpoint.h"
#include "platform/MessageRegistry.h"
#include "platform/Paths.h"
#include "platform/RuntimeDir.h"
#include "platform/SingleInstance.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"
#include "ui/qt/QtBackend.h"

namespace {

using marlo::platform::DebugOutput;

constexpr const char* kUsage =
    "usage: marlo-gear [--debug] [--hid-root DIR] [--report-ready]\n"
    "The configurator for Marlo keyboards, mice, mouse pads and headsets.\n";

constexpr std::array<const char*, 4> kFonts = {
    "Font/Simplified_Chinese.ttf", "Font/Skarn-Regular.otf", "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf"};

constexpr std::array<const char*, 5> kGuidMessages = {
    "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}",
    "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}",
    "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}"};

}  // namespace

int main(int argc, char** argv) {
    // SIGTERM and SIGINT end the program as the tray menu's "exit" does; they are blocked
    // here, before any thread starts, and read from a signalfd on the UI thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    bool reportReady = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--debug") {
            DebugOutput::SetStderrEnabled(true);
        } else if (arg == "--hid-root" && i + 1 < argc) {
            marlo::hid::HidInterface::SetDefaultRoot(argv[++i]);
        } else if (arg == "--report-ready") {
            reportReady = true;
        } else if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fputs(kUsage, stderr);
            return 0;  // every path out of the program ends with 0
        }
    }

    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    marlo::ui::QtBackend backend;

    // 1. The skin's fonts, private to this process; a missing one does not stop start-up.
    std::array<marlo::app::PrivateFont, kFonts.size()> fonts;
    for (size_t i = 0; i < kFonts.size(); ++i) {
        fonts[i].Load(kFonts[i]);
    }

    // 2. The instance message.
    const uint32_t instanceMessage = marlo::platform::MessageRegistry::Register("Marlo Gear");
    DebugOutput::Printf("软件标示：%u", instanceMessage);
    if (instanceMessage < 0xC000 || instanceMessage > 0xFFFF) {
        return 0;
    }

    // 3. One instance: a second start asks the first to come to the front, and ends.
    const auto runtime = marlo::platform::PrivateRuntimeDir();
    std::unique_ptr<marlo::platform::SingleInstance> instance;
    if (runtime) {
        instance = std::make_unique<marlo::platform::SingleInstance>(*runtime / "instance.lock");
        if (instance->AnotherIsRunning()) {
            marlo::platform::EndpointRequest request;
            request.window = "MainWnd";
            request.message = "Marlo Gear";
            request.lParam = 1;
            const std::string error =
                marlo::platform::MessageEndpoint::Send(*runtime / "endpoint.sock", request);
            if (!error.empty()) {
                DebugOutput::Printf("the running program was not reached: %s", error.c_str());
            }
            return 0;
        }
    }

    // 4. The skin.
    const std::string resourceDir = marlo::platform::Paths::ResourceDir().string() + "/";
    marlo::ui::CPaintManagerUI::SetInstancePath(resourceDir);
    marlo::ui::CPaintManagerUI::SetResourcePath(resourceDir + "skin/");
    marlo::ui::CResourceManager::GetInstance().LoadResource(resourceDir + "skin/res.xml");

    // 5. The process-wide messages.
    for (const char* name : kGuidMessages) {
        marlo::platform::MessageRegistry::Register(name);
    }

    // 6. The main window.
    int exitCode = 0;
    {
        marlo::app::CMainWnd mainWnd(instanceMessage);
        mainWnd.Create(nullptr, "Marlo Gear", 0, 0, 800, 572);
        marlo::app::LanguageSettings::ApplyLanguage(
            marlo::app::LanguageSettings::ReadSavedLanguage());
        mainWnd.ResizeClient(800, 572);
        mainWnd.CenterWindow();
        if (reportReady) {
            backend.loop().Post([] {
                std::printf("ready\n");
                std::fflush(stdout);
            });
        }

        marlo::platform::MessageEndpoint endpoint;
        if (runtime) {
            endpoint.Start(*runtime / "endpoint.sock",
                           [&backend](const marlo::platform::EndpointRequest& r) {
                               return marlo::app::DeliverToWindow(backend.loop(), r);
                           });
        }
        const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
        QSocketNotifier onSignal(signalFd, QSocketNotifier::Read);
        QObject::connect(&onSignal, &QSocketNotifier::activated, &onSignal, [&] {
            signalfd_siginfo info{};
            while (read(signalFd, &info, sizeof info) == sizeof info) {
            }
            mainWnd.Exit();
        });

        // 7. The loop, until the main window is destroyed.
        application.exec();
        exitCode = 0;
        onSignal.setEnabled(false);
        close(signalFd);
        endpoint.Stop();
    }
    // 8. Teardown in reverse: window (above), resources, instance lock, fonts.
    marlo::ui::CResourceManager::GetInstance().Release();
    instance.reset();
    return exitCode;
}
