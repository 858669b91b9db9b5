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

#include "CustomControls.h"
#include "EndpointDelivery.h"
#include "LanguageSettings.h"
#include "MainWnd.h"
#include "PrivateFont.h"
#include "SleepWatch.h"
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

// Start-up failures: the reason on stderr (and the debug output), exit status 1.
int Fail(const std::string& why) {
    std::fprintf(stderr, "marlo-gear: %s\n", why.c_str());
    DebugOutput::Printf("%s", why.c_str());
    return 1;
}

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
            std::fprintf(stderr, "marlo-gear: unknown argument '%s'\n", arg.c_str());
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    // Refused before anything is made: without a home, or with another user's folders, the
    // program could only lose what a person sets.
    if (const auto problem = marlo::platform::Paths::CheckUserFolders()) {
        return Fail(*problem);
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
        return Fail("the instance message could not be registered");
    }

    // 3. One instance: a second start asks the first to come to the front, and ends. Without
    // the lock this start cannot tell whether another runs, so it does not run (two would
    // fight over the devices and the endpoint).
    const auto runtime = marlo::platform::PrivateRuntimeDir();
    if (!runtime) {
        return Fail(
            "no private runtime folder ($XDG_RUNTIME_DIR/marlo-gear) could be had; "
            "see --debug for why");
    }
    auto instance = std::make_unique<marlo::platform::SingleInstance>(*runtime / "instance.lock");
    if (instance->state() == marlo::platform::SingleInstance::State::kFailed) {
        return Fail(instance->error());
    }
    if (instance->AnotherIsRunning()) {
        marlo::platform::EndpointRequest request;
        request.window = "MainWnd";
        request.message = "Marlo Gear";
        request.lParam = 1;
        const std::string error =
            marlo::platform::MessageEndpoint::Send(*runtime / "endpoint.sock", request);
        if (!error.empty()) {
            return Fail("another instance runs but was not reached: " + error);
        }
        return 0;
    }

    // 4. The skin.
    const std::string resourceDir = marlo::platform::Paths::ResourceDir().string() + "/";
    marlo::ui::CPaintManagerUI::SetInstancePath(resourceDir);
    marlo::ui::CPaintManagerUI::SetResourcePath(resourceDir + "skin/");
    marlo::ui::CResourceManager::GetInstance().LoadResource(resourceDir + "skin/res.xml");
    marlo::app::RegisterCustomControls();

    // 5. The process-wide messages.
    for (const char* name : kGuidMessages) {
        marlo::platform::MessageRegistry::Register(name);
    }

    // 6. The main window.
    int exitCode = 0;
    {
        marlo::app::CMainWnd mainWnd(instanceMessage);
        mainWnd.Create(nullptr, "Marlo Gear", 0, 0, 800, 572);
        mainWnd.ApplyLanguage(marlo::app::LanguageSettings::ReadSavedLanguage());
        mainWnd.ResizeClient(800, 572);
        mainWnd.CenterWindow();
        if (reportReady) {
            backend.loop().Post([] {
                std::printf("ready\n");
                std::fflush(stdout);
            });
        }

        // Other programs' requests are handed to the UI thread, never waited for there.
        marlo::app::CEndpointDelivery delivery(backend.loop());
        marlo::platform::MessageEndpoint endpoint;
        if (!endpoint.Start(
                *runtime / "endpoint.sock",
                [&delivery](const marlo::platform::EndpointRequest& r,
                            marlo::platform::EndpointReply reply) { delivery.Deliver(r, reply); },
                marlo::app::kDeliveryTimeoutMs)) {
            return Fail(std::string("cannot open the message endpoint: ") + std::strerror(errno));
        }
        // Sleep and wake come as the power broadcast would.
        SleepWatch sleepWatch([&mainWnd](bool sleeping) {
            mainWnd.PostMessage(
                marlo::app::CMainWnd::kWmPowerBroadcast,
                sleeping ? marlo::app::CMainWnd::kPbtSuspend : marlo::app::CMainWnd::kPbtResume, 0);
        });
        if (!sleepWatch.listening()) {
            DebugOutput::Write("logind is not reachable: sleep and wake are not followed");
        }
        const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
        if (signalFd < 0) {
            return Fail(std::string("cannot watch for stop signals: ") + std::strerror(errno));
        }
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
    // (The early returns above unwind the same objects in the same order.)
    marlo::ui::CResourceManager::GetInstance().Release();
    instance.reset();
    return exitCode;
}
