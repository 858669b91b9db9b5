// The command-line programs as a script uses them: marlo-sim serving devices, its control
// socket, and marloctl reading them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>

#include "support/HttpTestServer.h"
#include "support/TempDir.h"

namespace {

const std::string kBin = MARLO_BIN_DIR;

struct Result {
    int status;
    std::string out;
};

Result RunCommand(const std::string& command) {
    Result r{-1, ""};
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) {
        r.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// marlo-sim in the background, until the test ends.
class Simulator {
  public:
    Simulator(const std::filesystem::path& root, const std::string& plug) {
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            const std::string sim = kBin + "/marlo-sim";
            execl(sim.c_str(), sim.c_str(), "--root", root.c_str(), "--plug", plug.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        stdout_ = fdopen(out[0], "r");
        char line[512];
        while (std::fgets(line, sizeof line, stdout_) != nullptr) {
            if (std::string(line) == "ready\n") {
                ready_ = true;
                break;
            }
        }
    }
    ~Simulator() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        fclose(stdout_);
    }
    bool ready() const { return ready_; }

  private:
    pid_t pid_ = -1;
    FILE* stdout_ = nullptr;
    bool ready_ = false;
};

std::string Control(const std::filesystem::path& root, const std::string& command) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, (root / "marlo-sim.sock").c_str());
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return "";
    }
    const std::string line = command + "\n";
    EXPECT_EQ(write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    shutdown(fd, SHUT_WR);
    std::string reply;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        reply.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return reply;
}

TEST(ToolsTest, HidListShowsEverySimulatedInterface) {
    marlo::test::TempDir dir;
    Simulator sim(dir.path(), "keyboard,headset");
    ASSERT_TRUE(sim.ready());
    const Result list =
        RunCommand(kBin + "/marloctl --hid-root " + dir.path().string() + " hid list");
    EXPECT_EQ(list.status, 0);
    const std::string root = dir.path().string();
    EXPECT_NE(
        list.out.find(root + "/dev/hidraw0#vid_320f&pid_5055&mi_01&col04 vid=320f pid=5055 "
                             "ver=0105 if=1 col=4 page=ff1c usage=0092 in=64 out=64 feat=0\n"),
        std::string::npos)
        << list.out;
    EXPECT_NE(
        list.out.find(root + "/dev/hidraw1#vid_0c76&pid_1630&mi_03 vid=0c76 pid=1630 "
                             "ver=0100 if=3 col=0 page=000c usage=0001 in=64 out=64 feat=0\n"),
        std::string::npos)
        << list.out;
    const std::regex line(R"(\S+ vid=[0-9a-f]{4} pid=[0-9a-f]{4} ver=[0-9a-f]{4} if=\d+ col=\d+ )"
                          R"(page=[0-9a-f]{4} usage=[0-9a-f]{4} in=\d+ out=\d+ feat=\d+)");
    size_t lines = 0;
    for (size_t start = 0, end; (end = list.out.find('\n', start)) != std::string::npos;
         start = end + 1, ++lines) {
        EXPECT_TRUE(std::regex_match(list.out.substr(start, end - start), line));
    }
    EXPECT_EQ(lines, 5u);
}

TEST(ToolsTest, ControlSocketPlugsUnplugsAndDumps) {
    marlo::test::TempDir dir;
    Simulator sim(dir.path(), "keyboard");
    ASSERT_TRUE(sim.ready());
    EXPECT_EQ(Control(dir.path(), "plug mouse"), "ok plugged mouse hidraw1\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "dev/hidraw1"));
    EXPECT_EQ(Control(dir.path(), "plug mouse"), "error cannot plug mouse (name taken?)\n");
    EXPECT_EQ(Control(dir.path(), "event keyboard 0x1101"), "ok event keyboard 0x1101\n");
    EXPECT_EQ(Control(dir.path(), "plug keyboard-if0 keys"), "ok plugged keys hidraw2\n");
    EXPECT_EQ(Control(dir.path(), "key keys 0x04 2"), "ok key keys 0x04\n");
    EXPECT_EQ(Control(dir.path(), "key keys 300"), "error bad key 300\n");
    const std::string dump = Control(dir.path(), "dump keyboard");
    EXPECT_NE(dump.find("\"id\" : \"320f:5055\""), std::string::npos) << dump;
    EXPECT_EQ(Control(dir.path(), "unplug mouse"), "ok unplugged mouse\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "dev/hidraw1"));
    EXPECT_FALSE(std::filesystem::exists(dir / "sys/class/hidraw/hidraw1"));
    EXPECT_EQ(Control(dir.path(), "frobnicate").rfind("error unknown command", 0), 0u);
}

TEST(ToolsTest, RawRunsOneChannelOperation) {
    marlo::test::TempDir dir;
    Simulator sim(dir.path(), "keyboard");
    ASSERT_TRUE(sim.ready());
    const std::string raw = kBin + "/marloctl --hid-root " + dir.path().string() + " raw '" +
                            dir.path().string() + "/dev/hidraw0#vid_320f&pid_5055&mi_01&col04' ";
    const Result info = RunCommand(raw + "--mode 1 info");
    EXPECT_EQ(info.status, 0);
    EXPECT_TRUE(
        std::regex_match(info.out, std::regex("result 1\ndata 0f32[0-9a-f]{60} version 0102\n")))
        << info.out;
    EXPECT_EQ(RunCommand(raw + "write 0x20 a1b2c3").out, "result 1\n");
    EXPECT_EQ(RunCommand(raw + "read 32 3").out, "result 1\ndata a1b2c3\n");
    const Result bank = RunCommand(raw + "write-block 0102 --bank 1");
    EXPECT_EQ(bank.status, 1);
    EXPECT_EQ(bank.out, "result -201\n");
    EXPECT_EQ(RunCommand(raw + "read 250 10").out, "result -102\ndata 00000000000000000000\n");
    EXPECT_EQ(RunCommand(raw + "write 0 abc").status, 2) << "odd hex digits";
    EXPECT_EQ(RunCommand(raw + "frobnicate").status, 2);
    EXPECT_EQ(RunCommand(kBin + "/marloctl raw /nonexistent/hidraw0 begin").status, 1);
    // Values that do not fit the protocol are usage errors, never cut to fit.
    for (const char* refused :
         {"--block-size 4294967295 begin", "--block-size 513 read-block", "write-mask 256 00",
          "read 65535 2", "write 65535 0102", "read-status 300 57"}) {
        EXPECT_EQ(RunCommand(raw + refused).status, 2) << refused;
    }
    // The status area is reached at 16-bit offsets: 300 is 300, not 44.
    EXPECT_EQ(RunCommand(raw + "read-status 300 4").out, "result -102\ndata 00000000\n");
}

TEST(ToolsTest, SimulatorIsNeverReadyWhenItCannotDoWhatWasAsked) {
    marlo::test::TempDir dir;
    const std::string sim = kBin + "/marlo-sim --root " + dir.path().string();
    for (const std::string bad : {" --plug toaster", " --plug keyboard --fault nosuch=late",
                                  " --plug keyboard --fault keyboard=sideways"}) {
        const Result r = RunCommand(sim + bad + " </dev/null");
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_EQ(r.out.find("ready"), std::string::npos) << bad;
    }
}

TEST(ToolsTest, ControlClientsThatMisbehaveHarmNobody) {
    marlo::test::TempDir dir;
    Simulator sim(dir.path(), "keyboard");
    ASSERT_TRUE(sim.ready());
    auto open = [&] {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, (dir / "marlo-sim.sock").c_str());
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    };
    // One asks for dumps and never reads them; one closes before its answer comes; one sends
    // a line without end.
    const int neverReads = open();
    const std::string dumps = [] {
        std::string text;
        for (int i = 0; i < 2000; ++i) {
            text += "dump keyboard\n";
        }
        return text;
    }();
    EXPECT_GT(send(neverReads, dumps.data(), dumps.size(), MSG_NOSIGNAL), 0);
    const int closesEarly = open();
    EXPECT_GT(send(closesEarly, dumps.data(), 1400, MSG_NOSIGNAL), 0);
    close(closesEarly);
    const int endless = open();
    const std::string chunk(65536, 'x');
    for (int i = 0; i < 4; ++i) {
        if (send(endless, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT) <= 0) {
            break;
        }
    }
    // The simulator still serves everyone else.
    std::string reply;
    for (int i = 0; i < 50 && reply.empty(); ++i) {
        reply = Control(dir.path(), "list");
    }
    EXPECT_EQ(reply.substr(0, 9), "keyboard ") << reply;
    close(neverReads);
    close(endless);
}

TEST(ToolsTest, WatchAndDevicesReportTheSupportedDevices) {
    marlo::test::TempDir dir;
    Simulator sim(dir.path(), "keyboard,mouse,headset");
    ASSERT_TRUE(sim.ready());
    const std::string root = dir.path().string();
    const Result devices = RunCommand(kBin + "/marloctl --hid-root " + root + " devices");
    EXPECT_EQ(devices.status, 0);
    EXPECT_EQ(devices.out, "0 1 0 " + root + "/dev/hidraw0#vid_320f&pid_5055&mi_01&col04\n" +
                               "1 1 255 " + root + "/dev/hidraw0#vid_320f&pid_5055&mi_01&col03\n" +
                               "10 7 0 " + root + "/dev/hidraw2#vid_0c76&pid_1630&mi_03\n");
    const Result watch = RunCommand(kBin + "/marloctl --hid-root " + root + " watch --seconds 1");
    EXPECT_EQ(watch.status, 0);
    EXPECT_TRUE(std::regex_match(watch.out,
                                 std::regex("\\d+ attached 1 \\S+col03\n\\d+ attached 0 \\S+col04\n"
                                            "\\d+ attached 10 \\S+mi_03\n\\d+ ready\n")))
        << watch.out;
    EXPECT_EQ(RunCommand(kBin + "/marloctl watch --seconds x").status, 2);
}

TEST(ToolsTest, SkinTreePrintsTheLayoutAndReportsErrors) {
    const Result main = RunCommand(kBin + "/marloctl skin tree XML_MAIN");
    EXPECT_EQ(main.status, 0);
    EXPECT_EQ(
        main.out.rfind("VerticalLayout root\n  HorizontalLayout topbar\n    Label title\n", 0), 0u)
        << main.out;
    EXPECT_NE(main.out.find("\n    VerticalLayout No_device_Link\n"), std::string::npos);
    marlo::test::TempDir dir;
    std::ofstream(dir / "bad.xml")
        << "<Window><VerticalLayout>\n<Bogus/><Button name=\"b\"/></VerticalLayout></Window>";
    const Result bad = RunCommand(kBin + "/marloctl skin tree " + (dir / "bad.xml").string());
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "VerticalLayout -\n  Button b\n");
}

TEST(ToolsTest, ProfileAndMacroCommandsWorkOnTheUsersFolder) {
    marlo::test::TempDir dir;
    const std::string cli = "XDG_DATA_HOME=" + dir.path().string() + " " + kBin + "/marloctl ";
    const std::regex listLine(R"(0 \* profile1 \d{4}_\d\d_\d\d_\d\d_\d\d_\d\d_\d{3}\n)");
    const Result first = RunCommand(cli + "profile --device keyboard list");
    EXPECT_EQ(first.status, 0);
    EXPECT_TRUE(std::regex_match(first.out, listLine)) << first.out;
    EXPECT_EQ(RunCommand(cli + "profile --device keyboard new").status, 0);
    EXPECT_EQ(RunCommand(cli + "profile --device keyboard rename Profile1").status, 1)
        << "another profile has that name";
    EXPECT_EQ(RunCommand(cli + "profile --device keyboard select 0").status, 0);
    EXPECT_EQ(RunCommand(cli + "profile --device keyboard delete").status, 0);
    EXPECT_EQ(RunCommand(cli + "profile --device keyboard delete").status, 1) << "the last one";
    EXPECT_EQ(
        RunCommand(cli + "profile --device keyboard export " + (dir / "out.json").string()).status,
        0);
    EXPECT_EQ(
        RunCommand(cli + "profile --device keyboard import " + (dir / "out.json").string()).status,
        0);
    const Result list = RunCommand(cli + "profile --device keyboard list");
    EXPECT_NE(list.out.find("1 - out "), std::string::npos) << list.out;
    EXPECT_EQ(RunCommand(cli + "profile --device toaster list").status, 2);

    EXPECT_EQ(RunCommand(cli + "macro --device keyboard new").status, 0);
    std::ofstream(dir / "combo.mac")
        << R"({"Events": [{"Action": "down", "Type": 10, "Button": 65, "Delay": "300"}]})";
    EXPECT_EQ(
        RunCommand(cli + "macro --device keyboard import " + (dir / "combo.mac").string()).status,
        0);
    const Result macros = RunCommand(cli + "macro --device keyboard list");
    EXPECT_TRUE(std::regex_match(macros.out, std::regex(R"(0 macro_1 \S+\n1 macro_2 \S+\n)")))
        << macros.out;
    EXPECT_EQ(RunCommand(cli + "macro --device keyboard show 1").out, "down 10 65 300 2c018a41\n");
    EXPECT_EQ(RunCommand(cli + "macro --device keyboard show 7").status, 1);
    EXPECT_EQ(RunCommand(cli + "macro --device keyboard rename x y").status, 2);
}

TEST(ToolsTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(RunCommand(kBin + "/marloctl").status, 2);
    EXPECT_EQ(RunCommand(kBin + "/marloctl hid").status, 2);
    EXPECT_EQ(RunCommand(kBin + "/marloctl hid list extra").status, 2);
    EXPECT_EQ(RunCommand(kBin + "/marloctl --no-such-option hid list").status, 2);
    EXPECT_EQ(RunCommand(kBin + "/marlo-sim --no-such-option").status, 2);
    EXPECT_EQ(RunCommand(kBin + "/marlo-gear --bogus").status, 2);
    EXPECT_EQ(RunCommand(kBin + "/marloctl post 0xC15 0 0 --window 'a\nb'").status, 2);
}

}  // namespace

namespace {

TEST(ToolsTest, LanguageListsTheLanguagesAndKeepsTheChoice) {
    marlo::test::TempDir dir;
    const std::string cli = "XDG_CONFIG_HOME=" + dir.path().string() +
                            " LC_ALL= LC_MESSAGES= LANG=de_DE.UTF-8 " + kBin + "/marloctl ";
    // Before any choice: the locale's language, and nothing is written.
    const Result before = RunCommand(cli + "language list");
    EXPECT_EQ(before.status, 0);
    EXPECT_EQ(before.out.rfind("0 2052 zh_CN\n1 1033 en_US\n2 1028 zh_TW\n", 0), 0u) << before.out;
    EXPECT_NE(before.out.find(" de_DE *\n"), std::string::npos) << before.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "Marlo Gear" / "registry.json"));

    const Result set = RunCommand(cli + "language set 1033");
    EXPECT_EQ(set.status, 0);
    EXPECT_EQ(set.out, "1 1033 en_US *\n");
    const Result after = RunCommand(cli + "language list");
    EXPECT_NE(after.out.find("\n1 1033 en_US *\n"), std::string::npos) << after.out;
    EXPECT_EQ(after.out.find(" de_DE *"), std::string::npos) << "one current language";

    EXPECT_EQ(RunCommand(cli + "language set 99").status, 1) << "no such language";
    EXPECT_EQ(RunCommand(cli + "language set en").status, 2);
    EXPECT_EQ(RunCommand(cli + "language").status, 2);
}

TEST(ToolsTest, UpdateCheckAsksAboutTheProgramAndTheConnectedKeyboard) {
    marlo::test::TempDir dir;
    Simulator sim(dir.path(), "keyboard");
    ASSERT_TRUE(sim.ready());
    marlo::test::HttpTestServer server(
        marlo::test::HttpTestServer::Scheme::kHttp,
        [](const marlo::test::HttpTestServer::Request& r) {
            const bool keyboard = r.body.find("QK27T02B") != std::string::npos;
            return marlo::test::HttpTestServer::Answer{
                keyboard ? R"({"name":"KB","version":"0103"})" : R"({"name":"AP"})"};
        });
    const std::string env =
        "XDG_CONFIG_HOME=" + dir.path().string() + " XDG_DATA_HOME=" + dir.path().string() + " ";
    const std::string cli = kBin + "/marloctl --hid-root " + dir.path().string() + " update check";
    const Result online = RunCommand(env + "MARLO_UPDATE_URL=" + server.BaseAddress() + " " + cli);
    EXPECT_EQ(online.status, 0);
    // The simulated keyboard's firmware is 0x0102; the program's version is the build's.
    EXPECT_TRUE(
        std::regex_match(online.out, std::regex("KB V0102 V0103 1\nAP V\\d+ - 7\nstatus 1\n")))
        << online.out;
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[0].body,
              std::string("app_key=KORVA_1_QK27T02B_KB_1&version=102\0", 42));

    // No service configured: every item unreachable, and the command says it failed.
    const Result offline = RunCommand(env + "MARLO_UPDATE_URL= " + cli);
    EXPECT_EQ(offline.status, 1);
    EXPECT_TRUE(std::regex_match(offline.out, std::regex("KB V0102 - 7\nAP V\\d+ - 7\nstatus 2\n")))
        << offline.out;
}

}  // namespace

namespace {

TEST(ToolsTest, KeyboardShowsAssignsAndSetsAsItsPageDoes) {
    marlo::test::TempDir dir;
    const std::string cli = "XDG_DATA_HOME=" + dir.path().string() + " " + kBin +
                            "/marloctl --hid-root " + dir.path().string() + " keyboard ";
    EXPECT_EQ(RunCommand(cli + "show").status, 1) << "no keyboard yet";
    Simulator sim(dir.path(), "keyboard");
    ASSERT_TRUE(sim.ready());

    const Result show = RunCommand(cli + "show");
    EXPECT_EQ(show.status, 0);
    EXPECT_EQ(
        show.out.rfind("slots 126\nmacro-memory 4096\nversion 0102\nmode 1 1 light_mode_1\n", 0),
        0u)
        << show.out;
    EXPECT_TRUE(std::regex_search(show.out, std::regex("\nkey 64 \\d+ 200004 200004\n")));

    const Result assign = RunCommand(cli + "assign 64 200005");
    EXPECT_EQ(assign.status, 0);
    EXPECT_EQ(assign.out, "macros 0\nresult 1\n");
    EXPECT_TRUE(std::regex_search(RunCommand(cli + "show").out,
                                  std::regex("\nkey 64 \\d+ 200005 200004\n")))
        << "kept in the profile, and the keyboard still known";
    // By name, through the panel's tables: Shift+B on the A key.
    EXPECT_EQ(RunCommand(cli + "assign 64 shift+key:B").out, "macros 0\nresult 1\n");
    EXPECT_TRUE(std::regex_search(RunCommand(cli + "show").out,
                                  std::regex("\nkey 64 \\d+ 200205 200004\n")));
    const Result unknown = RunCommand("{ " + cli + "assign 64 media:mutte 2>&1; }");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.out.find("nearest: media:mute"), std::string::npos) << unknown.out;
    EXPECT_NE(RunCommand(cli + "functions").out.find("\nmedia:play-pause\n"), std::string::npos);
    EXPECT_EQ(RunCommand(cli + "default 64").out, "macros 0\nresult 1\n");
    EXPECT_EQ(RunCommand(cli + "apply").out, "macros 0\nresult 1\n");

    EXPECT_EQ(RunCommand(cli + "lighting --mode 3 --color 1,2,3 --speed 0").status, 0);
    EXPECT_EQ(RunCommand(cli + "set polling-rate 2").status, 0);
    const Result after = RunCommand(cli + "show");
    EXPECT_NE(after.out.find("\nmode 3 3 light_mode_3\n"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("\nspeed 0\n"), std::string::npos);
    EXPECT_NE(after.out.find("\ncolor 1 2 3\n"), std::string::npos);
    EXPECT_NE(after.out.find("\npolling-rate 2\n"), std::string::npos);

    const Result modes = RunCommand(cli + "modes");
    EXPECT_EQ(modes.out.rfind("0 0 0 light_mode_0\n1 1 1 light_mode_1\n", 0), 0u) << modes.out;

    for (const char* bad : {"assign 170 200005", "assign 65 20005", "assign 65 2000zz",
                            "default -1", "set polling-rate 4", "set volume 1",
                            "lighting --speed 5", "lighting --brightness 9",
                            "lighting --color 1,2", "show x", "dance"}) {
        EXPECT_EQ(RunCommand(cli + bad).status, 2) << bad;
    }
}

// Whether the keyboard reads back each slot's own key or what was written there, a remapped key
// keeps its line, can be reset, and later remaps keep the earlier ones.
TEST(ToolsTest, KeyboardKeepsRemappedKeysWhateverItsTableReadsBack) {
    for (const std::string kind : {"keyboard", "keyboard-readback"}) {
        SCOPED_TRACE(kind);
        marlo::test::TempDir dir;
        const std::string cli = "XDG_DATA_HOME=" + dir.path().string() + " " + kBin +
                                "/marloctl --hid-root " + dir.path().string() + " keyboard ";
        Simulator sim(dir.path(), kind);
        ASSERT_TRUE(sim.ready());
        // Position 1 is F1 (20003a), 64 is A (200004).
        EXPECT_EQ(RunCommand(cli + "assign 1 200004").out, "macros 0\nresult 1\n");
        std::smatch m;
        std::string show = RunCommand(cli + "show").out;
        ASSERT_TRUE(std::regex_search(show, m, std::regex("\nkey 1 (\\d+) 200004 20003a\n")))
            << show;
        const size_t slot = std::stoul(m[1]);
        EXPECT_EQ(RunCommand(cli + "assign 64 200005").out, "macros 0\nresult 1\n");
        show = RunCommand(cli + "show").out;
        EXPECT_NE(show.find("\nkey 1 " + std::to_string(slot) + " 200004 20003a\n"),
                  std::string::npos)
            << "the earlier remap stays: " << show;
        EXPECT_TRUE(std::regex_search(show, std::regex("\nkey 64 \\d+ 200005 200004\n")));

        EXPECT_EQ(RunCommand(cli + "default 1").out, "macros 0\nresult 1\n");
        EXPECT_NE(RunCommand(cli + "show").out.find("\nkey 1 " + std::to_string(slot) +
                                                   " 20003a 20003a\n"),
                  std::string::npos);
        const std::string dump = Control(dir.path(), "dump " + kind);
        ASSERT_TRUE(std::regex_search(dump, m, std::regex("\"keyTable\" : \"([0-9a-f]+)\"")))
            << dump;
        EXPECT_EQ(m[1].str().substr(slot * 6, 6), "20003a") << "the keyboard holds F1 again";
    }
}

// As root with folders that belong to the user (sudo), a command that may write refuses and
// makes nothing, so the user's own program still starts.
TEST(ToolsTest, CommandsThatMayWriteRefuseAnotherUsersFolders) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to hand the folders to another user";
    }
    marlo::test::TempDir dir;
    for (const char* folder : {"data", "config"}) {
        std::filesystem::create_directories(dir.path() / folder);
        ASSERT_EQ(chown((dir.path() / folder).c_str(), 65534, 65534), 0);
    }
    const std::string env = "XDG_DATA_HOME=" + (dir.path() / "data").string() +
                            " XDG_CONFIG_HOME=" + (dir.path() / "config").string() + " ";
    for (const char* command :
         {"keyboard set polling-rate 1", "headset set mic-volume 3", "language set 1"}) {
        const Result r = RunCommand("{ " + env + kBin + "/marloctl --hid-root " +
                                    dir.path().string() + " " + command + " 2>&1; }");
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.out.find("belongs to user 65534"), std::string::npos) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "data/Marlo Gear"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "config/Marlo Gear"));
}

// A position the keyboard has no slot for is refused, not reported as done.
TEST(ToolsTest, KeyboardRefusesAKeyItHasNoSlotFor) {
    marlo::test::TempDir dir;
    const std::string cli = "XDG_DATA_HOME=" + dir.path().string() + " " + kBin +
                            "/marloctl --hid-root " + dir.path().string() + " keyboard ";
    Simulator sim(dir.path(), "keyboard");
    ASSERT_TRUE(sim.ready());
    const std::string show = RunCommand(cli + "show").out;
    int keyless = -1;
    for (int p = 0; p < 170 && keyless < 0; ++p) {
        if (show.find("\nkey " + std::to_string(p) + " ") == std::string::npos) {
            keyless = p;
        }
    }
    ASSERT_GE(keyless, 0);
    for (const std::string op : {"default ", "assign "}) {
        const std::string tail = op == "assign " ? " 200005" : "";
        const Result r = RunCommand(cli + op + std::to_string(keyless) + tail);
        EXPECT_EQ(r.status, 1) << op;
        EXPECT_EQ(r.out.find("result 1"), std::string::npos) << op;
    }
}

}  // namespace

TEST(ToolsTest, HeadsetShowsAndSetsItsAudioAndLightsItsLeds) {
    marlo::test::TempDir dir;
    Simulator sim(dir.path() / "hid", "headset");
    ASSERT_TRUE(sim.ready());
    const std::string cli = "XDG_DATA_HOME=" + (dir.path() / "data").string() + " " + kBin +
                            "/marloctl --hid-root " + (dir.path() / "hid").string() + " headset ";
    const Result shown = RunCommand(cli + "show");
    EXPECT_EQ(shown.status, 0);
    for (const char* line : {"endpoint playback 1 0xf\n", "endpoint capture 2 0x30000\n",
                             "mic-volume 75\n", "monitor-mute 0\n", "voice 1\n",
                             "noise-reduction 0\n"}) {
        EXPECT_NE(shown.out.find(line), std::string::npos) << line << "in:\n" << shown.out;
    }
    // Without the chip library the command says which file it looked for, and where.
    const std::filesystem::path bare = dir.path() / "bare";
    std::filesystem::create_directories(bare);
    std::filesystem::create_directory_symlink(kBin + "/DefaultData", bare / "DefaultData");
    const Result noChip =
        RunCommand("{ MARLO_RESOURCE_DIR=" + bare.string() + " " + cli + "show 2>&1; }");
    EXPECT_EQ(noChip.status, 1);
    EXPECT_NE(noChip.out.find("osConfLib.so is not in " + (bare / "SDK").string()),
              std::string::npos)
        << noChip.out;
    EXPECT_EQ(RunCommand(cli + "set mic-volume 42").status, 0);
    EXPECT_EQ(RunCommand(cli + "set mic-volume 101").status, 2) << "out of range";
    EXPECT_EQ(RunCommand(cli + "set bass 1").status, 2) << "no such setting";
    EXPECT_EQ(RunCommand(cli + "set eq-preset 3").status, 0);
    const Result after = RunCommand(cli + "show");
    EXPECT_NE(after.out.find("mic-volume 42\n"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("eq-preset 3\n"), std::string::npos) << after.out;

    // Custom presets: a name in another letter case is refused (0), the 21st too (-1).
    EXPECT_EQ(RunCommand(cli + "eq save Mine").out, "result 1\n");
    const Result again = RunCommand(cli + "eq save MINE");
    EXPECT_EQ(again.out, "result 0\n");
    EXPECT_EQ(again.status, 1);
    for (int i = 2; i <= 20; ++i) {
        ASSERT_EQ(RunCommand(cli + "eq save p" + std::to_string(i)).status, 0) << i;
    }
    const Result full = RunCommand(cli + "eq save p21");
    EXPECT_EQ(full.out, "result -1\n");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(RunCommand(cli + "eq select mine").status, 0);
    EXPECT_EQ(RunCommand(cli + "eq delete p2").status, 0);
    EXPECT_EQ(RunCommand(cli + "eq delete p2").status, 1) << "gone";

    EXPECT_EQ(RunCommand(cli + "lighting --color 255,0,20 --level 128").status, 0);
    EXPECT_EQ(RunCommand(cli + "lighting --color 255,0").status, 2);
    const std::string dump = Control(dir.path() / "hid", "dump headset");
    EXPECT_NE(dump.find("\"7f000a\""), std::string::npos) << dump;
}
