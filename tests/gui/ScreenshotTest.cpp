// The main window on the Qt display, saved as a picture.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include <sys/stat.h>

#include "AboutWnd.h"
#include "CustomControls.h"
#include "MainWnd.h"
#include "MsgWnd.h"
#include "SetWnd.h"
#include "UpdateInfoListItemUI.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "pages/ZentrixUSBDevice.h"
#include "panels/DeviceOptionUI.h"
#include "platform/MessageRegistry.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/ResourceManager.h"
#include "ui/WindowImplBase.h"
#include "ui/qt/QtBackend.h"
#include "ui/qt/QtWindow.h"

namespace {

std::string RuntimeDir(const marlo::test::TempDir& dir) {
    std::filesystem::create_directories(dir / "run");
    chmod((dir / "run").c_str(), 0700);
    return (dir / "run").string();
}

// The Qt display on the offscreen platform, the real skin, English texts.
class ScreenshotTest : public ::testing::Test {
  protected:
    ScreenshotTest()
        : platform_("QT_QPA_PLATFORM", std::string("offscreen")),
          data_("XDG_DATA_HOME", dir_.path().string()),
          resources_("MARLO_RESOURCE_DIR", std::string(MARLO_DATA_DIR)),
          runtime_("XDG_RUNTIME_DIR", RuntimeDir(dir_)),
          application_(argc_, argv_) {
        marlo::app::RegisterCustomControls();
        marlo::ui::CPaintManagerUI::SetResourcePath(std::string(MARLO_DATA_DIR) + "/skin/");
        auto& resources = marlo::ui::CResourceManager::GetInstance();
        resources.LoadResource(std::string(MARLO_DATA_DIR) + "/skin/res.xml");
        resources.LoadLanguage("lang_en_US.xml");
    }
    ~ScreenshotTest() override { marlo::ui::CResourceManager::GetInstance().Release(); }

    // The main window, finding devices under the test's HID root, made and given a moment.
    std::unique_ptr<marlo::app::CMainWnd> OpenMainWindow() {
        marlo::app::CMainWnd::Options options;
        options.hidRoot = dir_ / "hid";
        auto wnd = std::make_unique<marlo::app::CMainWnd>(
            marlo::platform::MessageRegistry::Register("Marlo Gear"), options);
        if (!wnd->Create(nullptr, "Marlo Gear", 0, 0, 800, 572)) {
            return nullptr;
        }
        backend.loop().RunFor(150);
        return wnd;
    }

    marlo::test::TempDir dir_;
    marlo::test::ScopedEnv platform_;
    marlo::test::ScopedEnv data_;
    marlo::test::ScopedEnv resources_;
    marlo::test::ScopedEnv runtime_;
    int argc_ = 1;
    char name_[16] = "screenshot_test";
    char* argv_[2] = {name_, nullptr};
    QApplication application_;
    marlo::ui::QtBackend backend;
};

TEST_F(ScreenshotTest, MainWindowShellIsDrawnAtItsSize) {
    {
        marlo::app::CMainWnd::Options options;
        options.discovery = false;
        marlo::app::CMainWnd wnd(marlo::platform::MessageRegistry::Register("Marlo Gear"), options);
        ASSERT_TRUE(wnd.Create(nullptr, "Marlo Gear", 0, 0, 800, 572));
        backend.loop().RunFor(150);
        wnd.BringToFront();
        wnd.FitToScreen();
        QApplication::processEvents();
        marlo::ui::QtWindow* widget = backend.WidgetOf(&wnd);
        ASSERT_NE(widget, nullptr);
        ASSERT_TRUE(widget->isVisible());
        const QPixmap shot = widget->grab();
        const std::string file = std::string(MARLO_SCREENSHOT_DIR) + "/main-window.png";
        ASSERT_TRUE(shot.save(QString::fromStdString(file)));
        const QImage image(QString::fromStdString(file));
        EXPECT_EQ(image.width(), wnd.GetRect().width);
        EXPECT_EQ(image.height(), wnd.GetRect().height);
        EXPECT_GE(image.width(), 1000);
        // The dark skin: the middle of the page is the page colour, not white.
        const QColor middle = image.pixelColor(image.width() / 2, image.height() / 2);
        EXPECT_LT(middle.lightness(), 80);
        // A click on the close button's peer reaches the control: the window hides.
        auto* close = qobject_cast<QPushButton*>(
            widget->peers()->PeerOf(wnd.GetPaintManager().FindControl("closebtn")));
        ASSERT_NE(close, nullptr);
        // Without a tray the first close says that the program goes on: answered here.
        backend.loop().Post([] {
            if (auto* box = dynamic_cast<marlo::ui::WindowImplBase*>(
                    marlo::ui::CWindowWnd::FindWindow("MsgWnd"))) {
                box->Close(1);
            }
        });
        close->click();
        QApplication::processEvents();
        EXPECT_FALSE(widget->isVisible());
        wnd.Exit();
        backend.loop().RunFor(20);
    }
}

TEST_F(ScreenshotTest, KeyboardAndHeadsetPagesAreDrawn) {
    marlo::sim::SimServer server(dir_ / "hid");
    {
        const auto window = OpenMainWindow();
        ASSERT_NE(window, nullptr);
        marlo::app::CMainWnd& wnd = *window;
        ASSERT_TRUE(server.Plug("headset", marlo::sim::SimCatalog::Create("headset")));
        ASSERT_TRUE(server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard")));
        auto* list = wnd.devices();
        for (int i = 0; i < 300 && list->FirstVisibleEntry().count < 2; ++i) {
            backend.loop().RunFor(10);
        }
        ASSERT_EQ(list->FirstVisibleEntry().count, 2);
        // The keyboard's page in front.
        auto* keyboard = list->Devices(marlo::app::CDeviceList::kKeyboard).at(0);
        list->ShowEntry(keyboard->entryIndex(), true, true);
        wnd.FitToScreen();
        backend.loop().RunFor(600);
        QApplication::processEvents();
        marlo::ui::QtWindow* widget = backend.WidgetOf(&wnd);
        ASSERT_NE(widget, nullptr);
        ASSERT_TRUE(widget->isVisible());
        const QPixmap shot = widget->grab();
        const std::string file = std::string(MARLO_SCREENSHOT_DIR) + "/device-pages.png";
        ASSERT_TRUE(shot.save(QString::fromStdString(file)));
        const QImage image(QString::fromStdString(file));
        EXPECT_EQ(image.width(), wnd.GetRect().width);
        EXPECT_EQ(image.height(), wnd.GetRect().height);

        // The selected entry's icon is the selected artwork: its blue card.
        QWidget* icon = widget->peers()->PeerOf(
            list->Entry(keyboard->entryIndex())->FindSubControl("device_select"));
        ASSERT_NE(icon, nullptr);
        const QColor card = icon->grab().toImage().pixelColor(4, icon->height() / 2);
        EXPECT_EQ(card.name(), "#2d7ff9");
        // Under the pointer the close button takes the skin's hot colour.
        QWidget* close = widget->peers()->PeerOf(wnd.GetPaintManager().FindControl("closebtn"));
        ASSERT_NE(close, nullptr);
        const QColor before = close->grab().toImage().pixelColor(3, close->height() / 2);
        close->setAttribute(Qt::WA_UnderMouse, true);
        const QColor hot = close->grab().toImage().pixelColor(3, close->height() / 2);
        EXPECT_EQ(hot.name(), "#c0392b");
        EXPECT_NE(before.name(), hot.name());
        close->setAttribute(Qt::WA_UnderMouse, false);
        wnd.Exit();
        backend.loop().RunFor(20);
    }
}

TEST_F(ScreenshotTest, TheKeyboardsDrawingShowsItsLightingMode) {
    marlo::sim::SimServer server(dir_ / "hid");
    {
        const auto window = OpenMainWindow();
        ASSERT_NE(window, nullptr);
        marlo::app::CMainWnd& wnd = *window;
        ASSERT_TRUE(server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard")));
        auto* list = wnd.devices();
        for (int i = 0; i < 300 && list->Devices(marlo::app::CDeviceList::kKeyboard).empty(); ++i) {
            backend.loop().RunFor(10);
        }
        ASSERT_FALSE(list->Devices(marlo::app::CDeviceList::kKeyboard).empty());
        auto* keyboard = dynamic_cast<marlo::pages::CZentrixKeyboardDevice*>(
            list->Devices(marlo::app::CDeviceList::kKeyboard).at(0));
        ASSERT_NE(keyboard, nullptr);
        // Read on its own thread, and the results shown.
        for (int i = 0; i < 500 && (keyboard->readsAfterConnect() == 0 || keyboard->work().busy());
             ++i) {
            backend.loop().RunFor(10);
        }
        list->ShowEntry(keyboard->entryIndex(), true, true);
        wnd.FitToScreen();
        marlo::ui::QtWindow* widget = backend.WidgetOf(&wnd);
        ASSERT_NE(widget, nullptr);
        QWidget* drawing = widget->peers()->PeerOf(keyboard->FindSubControl("key_0")->GetParent()
                                                       ->GetParent());
        ASSERT_NE(drawing, nullptr);
        // The drawing in two modes: red and still, then the multicoloured wave.
        const auto shoot = [&](int mode, bool multicolour, const char* name) {
            marlo::profiles::LightInfo light = keyboard->lightInfo();
            light.selectItem = static_cast<uint8_t>(mode);
            light.multiColor = multicolour ? 1 : 0;
            light.light = 4;
            light.red = 255;
            light.green = 0;
            light.blue = 0;
            keyboard->SetLightInfo(light);
            keyboard->WriteLightingBlock(0);
            backend.loop().RunFor(400);
            QApplication::processEvents();
            const QImage image = drawing->grab().toImage();
            EXPECT_TRUE(image.save(QString::fromStdString(std::string(MARLO_SCREENSHOT_DIR) + "/" +
                                                          name)));
            return image;
        };
        const QImage still = shoot(3, false, "keyboard-static.png");
        const QImage wave = shoot(1, true, "keyboard-wave.png");
        ASSERT_EQ(still.size(), wave.size());
        QWidget* esc = widget->peers()->PeerOf(keyboard->FindSubControl("key_0"));
        ASSERT_NE(esc, nullptr);
        const QPoint inEsc = esc->mapTo(drawing, QPoint(3, esc->height() / 2));
        EXPECT_EQ(still.pixelColor(inEsc).name(), "#ff0000") << "the static red, lit fully";
        size_t differ = 0;
        for (int y = 0; y < still.height(); y += 2) {
            for (int x = 0; x < still.width(); x += 2) {
                differ += still.pixel(x, y) != wave.pixel(x, y);
            }
        }
        EXPECT_GT(differ, static_cast<size_t>(still.width() * still.height() / 4 / 5))
            << "a fifth of the drawing or more changed";
        wnd.Exit();
        backend.loop().RunFor(20);
    }
}

TEST_F(ScreenshotTest, MessageBoxIsDrawnInTheSkinsStyle) {
    QImage image;
    // Once the box runs its modal loop: a picture of it, then the confirm button's peer.
    backend.loop().Post([&] {
        auto* box = dynamic_cast<marlo::app::CMsgWnd*>(marlo::ui::CWindowWnd::FindWindow("MsgWnd"));
        ASSERT_NE(box, nullptr);
        QApplication::processEvents();
        marlo::ui::QtWindow* widget = backend.WidgetOf(box);
        ASSERT_NE(widget, nullptr);
        const std::string file = std::string(MARLO_SCREENSHOT_DIR) + "/message-box.png";
        ASSERT_TRUE(widget->grab().save(QString::fromStdString(file)));
        image = QImage(QString::fromStdString(file));
        auto* confirm = qobject_cast<QPushButton*>(
            widget->peers()->PeerOf(box->GetPaintManager().FindControl("confirm_btn")));
        ASSERT_NE(confirm, nullptr);
        confirm->click();
    });
    EXPECT_EQ(marlo::app::CMsgWnd::ShowMessage(nullptr, "Marlo Gear", "message_ok", 96, true, 1),
              1u);
    EXPECT_EQ(image.width(), marlo::app::CMsgWnd::kBaseWidth);
    EXPECT_EQ(image.height(), marlo::app::CMsgWnd::kBaseHeight);
    EXPECT_LT(image.pixelColor(image.width() / 2, 60).lightness(), 80) << "the dark skin";
}

TEST_F(ScreenshotTest, TheSettingsWindowShowsItsRowsAndTheCheck) {
    marlo::test::ScopedEnv config("XDG_CONFIG_HOME", dir_.path().string());
    marlo::test::ScopedEnv url("MARLO_UPDATE_URL", std::nullopt);  // no service: state 2
    marlo::app::CSetWnd wnd(nullptr, 1,
                            {{1, 1, 0x0102, "KORVA", "QK27T02B", "KB", "KB", ""},
                             {0, 1, 10, "KORVA", "ALL", "KB", "AP", ""}});
    ASSERT_TRUE(wnd.Create(nullptr, "SetWnd", 0, 0, 0, 0));
    wnd.Prepare(96);
    wnd.ShowWindow(true, false);
    for (int i = 0; i < 500 && wnd.state() == 0; ++i) {
        QApplication::processEvents();
        backend.loop().RunFor(5);
    }
    ASSERT_EQ(wnd.state(), marlo::online::UpdateCheck::kUnreachable);
    QApplication::processEvents();
    marlo::ui::QtWindow* widget = backend.WidgetOf(&wnd);
    ASSERT_NE(widget, nullptr);
    const QImage image = widget->grab().toImage();
    ASSERT_TRUE(
        image.save(QString::fromStdString(std::string(MARLO_SCREENSHOT_DIR) + "/settings.png")));
    EXPECT_EQ(image.width(), marlo::app::CSetWnd::kBaseWidth);

    auto& pm = wnd.GetPaintManager();
    QWidget* list = widget->peers()->PeerOf(pm.FindControl("device_update_list_info"));
    QWidget* firstRow = widget->peers()->PeerOf(wnd.Rows().at(0));
    ASSERT_NE(list, nullptr);
    ASSERT_NE(firstRow, nullptr) << "a row added after the window showed has its peer";
    EXPECT_TRUE(firstRow->isVisible());
    EXPECT_LE(firstRow->mapTo(widget, QPoint(0, 0)).y() - list->mapTo(widget, QPoint(0, 0)).y(), 2)
        << "rows stack from the list's top";
    // The status picture follows the state: the offline mark, not the busy ring.
    QWidget* picture = widget->peers()->PeerOf(pm.FindControl("update_status_image"));
    ASSERT_NE(picture, nullptr);
    const QPoint centre = picture->mapTo(widget, picture->rect().center());
    const QColor mark = image.pixelColor(centre.x() - 5, centre.y());  // beside the "!"
    EXPECT_GT(mark.red(), mark.blue() + 40) << "the amber offline mark";
    wnd.Leave();
    backend.loop().RunFor(20);
}

TEST_F(ScreenshotTest, TheAboutWindowShowsTheProgramsIconNameAndVersion) {
    marlo::app::CAboutWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "  ", 0, 0, 0, 0));
    wnd.Prepare(96);
    wnd.ShowWindow(true, false);
    QApplication::processEvents();
    marlo::ui::QtWindow* widget = backend.WidgetOf(&wnd);
    ASSERT_NE(widget, nullptr);
    const QImage image = widget->grab().toImage();
    ASSERT_TRUE(
        image.save(QString::fromStdString(std::string(MARLO_SCREENSHOT_DIR) + "/about.png")));
    EXPECT_EQ(image.width(), marlo::app::CAboutWnd::kBaseWidth);
    auto& pm = wnd.GetPaintManager();
    QWidget* version = widget->peers()->PeerOf(pm.FindControl("about_version"));
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->isVisible());
    EXPECT_EQ(pm.FindControl("about_version")->GetShownText(),
              "Version " + marlo::app::CAboutWnd::Version());
    // The icon is drawn: its blue frame shows across its row.
    QWidget* icon = widget->peers()->PeerOf(pm.FindControl("about_icon"));
    ASSERT_NE(icon, nullptr);
    const QPoint centre = icon->mapTo(widget, icon->rect().center());
    int blue = 0;
    for (int x = centre.x() - 40; x <= centre.x() + 40; ++x) {
        blue = std::max(blue, image.pixelColor(x, centre.y()).blue());
    }
    EXPECT_GT(blue, 200) << "the icon";
    wnd.Close(0);
    backend.loop().RunFor(20);
}

// A small window of the toolkit from a layout written here.
class LayoutWnd : public marlo::ui::WindowImplBase {
  public:
    explicit LayoutWnd(std::string file) : file_(std::move(file)) {}
    std::string GetWindowClassName() const override { return "LayoutWnd"; }
    std::string GetSkinFile() override { return file_; }

  private:
    std::string file_;
};

TEST_F(ScreenshotTest, ADisabledSliderLooksDisabled) {
    const auto file = dir_ / "sliders.xml";
    std::ofstream(file) << R"(<Window size="300,80">
        <VerticalLayout bkcolor="#FF16181D" padding="10,10,10,10">
            <Slider name="on" min="0" max="100" value="50" height="30"/>
            <Slider name="off" min="0" max="100" value="50" height="30" enabled="false"/>
        </VerticalLayout></Window>)";
    LayoutWnd wnd(file.string());
    ASSERT_TRUE(wnd.Create(nullptr, "sliders", 0, 0, 300, 80));
    wnd.ShowWindow(true, false);
    QApplication::processEvents();
    marlo::ui::QtWindow* widget = backend.WidgetOf(&wnd);
    ASSERT_NE(widget, nullptr);
    const auto picture = [&](const char* name) {
        QWidget* peer = widget->peers()->PeerOf(wnd.GetPaintManager().FindControl(name));
        EXPECT_NE(peer, nullptr);
        return peer != nullptr ? peer->grab().toImage() : QImage();
    };
    const QImage on = picture("on");
    const QImage off = picture("off");
    ASSERT_EQ(on.size(), off.size());
    EXPECT_NE(on, off) << "the disabled slider is drawn otherwise";
    ASSERT_TRUE(widget->grab().save(
        QString::fromStdString(std::string(MARLO_SCREENSHOT_DIR) + "/sliders.png")));
    wnd.Close(0);
    backend.loop().RunFor(20);
}

}  // namespace
