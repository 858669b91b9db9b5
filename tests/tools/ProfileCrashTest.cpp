// The profile and macro commands as several programs run them at once, and as they are killed
// at any moment: no entry is lost, every entry keeps its file, every document stays whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/JsonDocument.h"
#include "support/TempDir.h"

namespace {

using marlo::platform::JsonDocument;

const std::string kBin = MARLO_BIN_DIR;

class ProfileCrashTest : public ::testing::Test {
  protected:
    // Starts `marloctl ARGS` on this test's data folder; its pid.
    pid_t Spawn(const std::vector<std::string>& args) {
        const std::string data = "XDG_DATA_HOME=" + dir_.path().string();
        const pid_t pid = fork();
        if (pid == 0) {
            const std::string cli = kBin + "/marloctl";
            std::vector<char*> argv{const_cast<char*>(cli.c_str())};
            for (const std::string& a : args) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            putenv(const_cast<char*>(data.c_str()));
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return pid;
    }
    static int Wait(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Run(const std::vector<std::string>& args) { return Wait(Spawn(args)); }
    std::filesystem::path Folder() const { return dir_ / "Marlo Gear" / "keyboard"; }

    // Every entry of the list has its file, and every document in the folder parses.
    void ExpectConsistent(const std::filesystem::file_time_type& loopStart) {
        const Json::Value list = JsonDocument::Read(Folder() / "ProfileList.ini");
        ASSERT_TRUE(list["profilelist"].isArray());
        std::set<std::string> uuids;
        for (const Json::Value& entry : list["profilelist"]) {
            const std::string uuid = entry["profileUUID"].asString();
            EXPECT_TRUE(uuids.insert(uuid).second) << "UUID " << uuid << " twice";
            EXPECT_TRUE(JsonDocument::Read(Folder() / (uuid + ".Json")).isObject())
                << "the entry " << entry["profilename"].asString() << " has its file";
        }
        for (const auto& e : std::filesystem::directory_iterator(Folder())) {
            const std::string name = e.path().filename().string();
            if (name.ends_with(".Json") || name == "ProfileList.ini" || name == "macro.config") {
                EXPECT_TRUE(JsonDocument::Read(e.path()).isObject()) << name << " is whole";
            }
            if (name.find(".tmp-") != std::string::npos) {
                EXPECT_GE(e.last_write_time(), loopStart) << name << " was left from before";
            }
        }
    }

    marlo::test::TempDir dir_;
};

TEST_F(ProfileCrashTest, ProgramsMakingProfilesAtOnceLoseNothing) {
    ASSERT_EQ(Run({"profile", "--device", "keyboard", "list"}), 0);
    std::vector<pid_t> running;
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 6; ++i) {
            running.push_back(Spawn({"profile", "--device", "keyboard", "new"}));
        }
        for (const pid_t pid : running) {
            EXPECT_EQ(Wait(pid), 0);
        }
        running.clear();
    }
    const Json::Value list = JsonDocument::Read(Folder() / "ProfileList.ini");
    ASSERT_EQ(list["profilelist"].size(), 31u) << "profile1 and all thirty new ones";
    std::set<std::string> names;
    for (const Json::Value& entry : list["profilelist"]) {
        names.insert(entry["profilename"].asString());
    }
    EXPECT_EQ(names.size(), 31u) << "no name twice";
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(Folder())) {
        files += e.path().extension() == ".Json";
    }
    EXPECT_EQ(files, 31u) << "no file without its entry";
    ExpectConsistent(std::filesystem::file_time_type::min());
}

TEST_F(ProfileCrashTest, KilledAtAnyMomentEveryDocumentStaysWholeAndEveryEntryHasItsFile) {
    ASSERT_EQ(Run({"profile", "--device", "keyboard", "list"}), 0);
    ASSERT_EQ(Run({"macro", "--device", "keyboard", "new"}), 0);
    // A temporary file an earlier crash left long ago.
    const auto orphan = Folder() / ".ProfileList.ini.tmp-1-orphan";
    std::filesystem::copy_file(Folder() / "ProfileList.ini", orphan);
    std::filesystem::last_write_time(
        orphan, std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));

    const auto loopStart = std::filesystem::file_time_type::clock::now();
    const std::vector<std::vector<std::string>> operations = {
        {"profile", "--device", "keyboard", "new"},
        {"profile", "--device", "keyboard", "copy"},
        {"profile", "--device", "keyboard", "rename", "renamed"},
        {"profile", "--device", "keyboard", "delete"},
        {"profile", "--device", "keyboard", "select", "0"},
        {"macro", "--device", "keyboard", "new"},
        {"macro", "--device", "keyboard", "rename", "0", "combo"},
        {"macro", "--device", "keyboard", "delete", "0"},
    };
    std::mt19937 random(12345);
    for (int i = 0; i < 300; ++i) {
        const pid_t pid = Spawn(operations[random() % operations.size()]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 12000));
        kill(pid, SIGKILL);
        Wait(pid);
    }
    // The next program to start finds everything whole and tidies what was left.
    ASSERT_EQ(Run({"profile", "--device", "keyboard", "list"}), 0);
    ASSERT_EQ(Run({"macro", "--device", "keyboard", "list"}), 0);
    EXPECT_FALSE(std::filesystem::exists(orphan));
    ExpectConsistent(loopStart);
}

TEST_F(ProfileCrashTest, ListingNeverPrintsARawControlCharacter) {
    ASSERT_EQ(Run({"profile", "--device", "keyboard", "list"}), 0);
    // A hand-edited list whose name holds a line end would forge a row.
    Json::Value list = JsonDocument::Read(Folder() / "ProfileList.ini");
    list["profilelist"][0]["profilename"] = "evil\n1 * forged";
    ASSERT_TRUE(JsonDocument::Write(Folder() / "ProfileList.ini", list));
    const std::string command = "XDG_DATA_HOME='" + dir_.path().string() + "' " + kBin +
                                "/marloctl profile --device keyboard list";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[1024];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) {
        out.append(buffer, n);
    }
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(out.find("evil\\x0a1 * forged"), std::string::npos) << out;
}

TEST_F(ProfileCrashTest, AnotherUsersFoldersAreRefused) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to own a folder as another user";
    }
    // As under sudo: the data folder is another user's; nothing is made in it.
    std::filesystem::create_directories(dir_ / "Marlo Gear");
    ASSERT_EQ(chown((dir_ / "Marlo Gear").c_str(), 65534, 65534), 0);
    EXPECT_EQ(Run({"profile", "--device", "keyboard", "list"}), 1);
    EXPECT_EQ(Run({"macro", "--device", "keyboard", "new"}), 1);
    EXPECT_FALSE(std::filesystem::exists(Folder()));
}

}  // namespace
