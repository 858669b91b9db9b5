// The program as a person starts it, on the offscreen display: start and end, a second start,
// messages from the command line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/EndpointClient.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"

namespace {

const std::string kBin = MARLO_BIN_DIR;

// A child process with its own XDG folders, its output read back.
class Process {
  public:
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
        int out[2];
        int err[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(err[1], 2);
            for (const std::string& e : env)
                putenv(const_cast<char*>(e.c_str()));
            std::vector<char*> args;
            for (const std::string& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Process() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }
    // Reads stdout until `line` arrives or the time is up.
    bool WaitForLine(const std::string& line, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            if (stdout_.find(line + "\n") != std::string::npos)
                return true;
            Drain(out_, stdout_, 50);
        }
        return stdout_.find(line + "\n") != std::string::npos;
    }
    // Waits for the end; the exit status, or -1 when it did not end in time.
    int Wait(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                Drain(err_, stderr_, 0);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            Drain(err_, stderr_, 20);
            Drain(out_, stdout_, 0);
        }
        return -1;
    }
    void Signal(int sig) { kill(pid_, sig); }
    pid_t pid() const { return pid_; }
    const std::string& Stderr() {
        Drain(err_, stderr_, 50);
        return stderr_;
    }

  private:
    static void Drain(int fd, std::string& into, int ms) {
        pollfd p{fd, POLLIN, 0};
        while (poll(&p, 1, ms) > 0 && (p.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0)
                return;
            into.append(buffer, static_cast<size_t>(n));
            ms = 0;
        }
    }
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool exited_ = false;
    std::string stdout_;
    std::string stderr_;
};

class ProgramTest : public ::testing::Test {
  protected:
    ProgramTest() {
        std::filesystem::create_directories(dir_ / "run");
        chmod((dir_ / "run").c_str(), 0700);
        env_ = {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + (dir_ / "run").string(),
                "XDG_DATA_HOME=" + (dir_ / "data").string(),
                "XDG_CONFIG_HOME=" + (dir_ / "config").string(), "MARLO_DEBUG=1"};
    }
    std::unique_ptr<Process> Program(std::vector<std::string> args = {}) {
        args.insert(args.begin(), kBin + "/marlo-gear");
        return std::make_unique<Process>(args, env_);
    }
    marlo::test::TempDir dir_;
    std::vector<std::string> env_;
};

TEST_F(ProgramTest, StartsAndEndsCleanlyOnATerminationSignal) {
    auto program = Program({"--report-ready"});
    ASSERT_TRUE(program->WaitForLine("ready", 15000)) << program->Stderr();
    program->Signal(SIGTERM);
    EXPECT_EQ(program->Wait(10000), 0) << program->Stderr();
    EXPECT_NE(program->Stderr().find("退出测试"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "run/marlo-gear/endpoint.sock"));
}

TEST_F(ProgramTest, ASecondStartEndsAndBringsTheFirstToTheFront) {
    auto first = Program({"--report-ready"});
    ASSERT_TRUE(first->WaitForLine("ready", 15000)) << first->Stderr();
    auto second = Program();
    EXPECT_EQ(second->Wait(10000), 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (first->Stderr().find("软件标示 ") == std::string::npos &&
           std::chrono::steady_clock::now() < until) {
    }
    EXPECT_NE(first->Stderr().find("，0d1d"), std::string::npos) << first->Stderr();

    // marloctl reaches the same window.
    std::ofstream(dir_ / "block.bin") << "spectrum";
    const std::vector<std::pair<std::vector<std::string>, int>> commands = {
        {{kBin + "/marloctl", "post", "0xC00", "0", "0"}, 0},
        {{kBin + "/marloctl", "post", "Marlo Gear", "0", "1", "--window", "Marlo Gear"}, 0},
        {{kBin + "/marloctl", "copydata", "1", (dir_ / "block.bin").string()}, 0},
        {{kBin + "/marloctl", "post", "x", "0", "0", "--window", "NoSuchWindow"}, 1},
        // What another program could crash the program with is refused, and marloctl says so.
        {{kBin + "/marloctl", "post", "0x4A", "0", "4096"}, 1},
        {{kBin + "/marloctl", "post", "0x479", "4096", "0"}, 1},
    };
    for (const auto& [argv, status] : commands) {
        Process control(argv, env_);
        EXPECT_EQ(control.Wait(10000), status) << argv[1] << " " << argv[2];
    }
    first->Signal(SIGINT);
    EXPECT_EQ(first->Wait(10000), 0);
}

// While the program streams the keyboard's lighting (its host-animated mode) under USB timing,
// another program's commands are still taken, every one, and the stream goes on after them.
TEST_F(ProgramTest, AnotherProgramsCommandsAreTakenWhileTheProgramStreamsLighting) {
    marlo::sim::SimServer::Options options;
    options.usbTiming = true;
    marlo::sim::SimServer server(dir_ / "hid", options);
    const auto node = server.Plug("keyboard", marlo::sim::SimCatalog::Create("keyboard"));
    ASSERT_TRUE(node);
    const std::string root = (dir_ / "hid").string();
    const std::string path = root + "/dev/" + *node + "#vid_320f&pid_5055&mi_01&col04";
    const auto marloctl = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {kBin + "/marloctl", "--hid-root", root});
        Process control(args, env_);
        return control.Wait(30000);
    };
    ASSERT_EQ(marloctl({"keyboard", "lighting", "--mode", "30"}), 0);
    const auto chunks = [&] {
        const auto dump = server.Dump("keyboard");
        return dump ? (*dump)["frameChunks"].asUInt64() : 0;
    };
    // No debug output: nothing reads the program's output while it streams.
    std::erase(env_, "MARLO_DEBUG=1");
    auto program = Program({"--hid-root", root});
    for (int i = 0; i < 300 && chunks() < 50; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_GE(chunks(), 50u) << "the stream runs";
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(marloctl({"keyboard", "set", "polling-rate", std::to_string(i % 4)}), 0) << i;
        const auto dump = server.Dump("keyboard");
        ASSERT_TRUE(dump);
        // Byte 22 of the active slot's block (slot 0) is the polling rate.
        EXPECT_EQ((*dump)["settings"].asString().substr(22 * 2, 2), "0" + std::to_string(i % 4))
            << "the keyboard has it";
        EXPECT_EQ(marloctl({"raw", path, "read", "0", "32"}), 0) << i;
    }
    const uint64_t after = chunks();
    for (int i = 0; i < 300 && chunks() < after + 50; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_GE(chunks(), after + 50) << "the stream goes on";
    program->Signal(SIGTERM);
    EXPECT_EQ(program->Wait(20000), 0);
}

// The audio companion at 60 spectra a second on its one connection: every spectrum is taken
// (none answered "busy"), the program makes no thread for them, and a second start still
// brings the window to the front meanwhile.
TEST_F(ProgramTest, ASecondStartIsAnsweredWhileSpectraFlow) {
    auto first = Program({"--report-ready"});
    ASSERT_TRUE(first->WaitForLine("ready", 15000)) << first->Stderr();
    const auto threads = [&] {
        size_t count = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(
                 "/proc/" + std::to_string(first->pid()) + "/task")) {
            ++count;
        }
        return count;
    };
    const size_t before = threads();
    std::atomic<bool> done{false};
    std::atomic<int> sent{0};
    std::atomic<int> refused{0};
    std::string lastError;
    std::thread companion([&] {
        marlo::platform::EndpointClient client(dir_ / "run/marlo-gear/endpoint.sock");
        marlo::platform::EndpointRequest spectrum;
        spectrum.kind = marlo::platform::EndpointRequest::Kind::kCopyData;
        spectrum.dataKind = 1;
        spectrum.data = std::string(23, '\x40');
        auto next = std::chrono::steady_clock::now();
        while (!done) {
            const std::string error = client.Send(spectrum, 1000);
            ++sent;
            if (!error.empty()) {
                ++refused;
                lastError = error;
            }
            next += std::chrono::microseconds(16667);
            std::this_thread::sleep_until(next);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    size_t most = threads();
    auto second = Program();
    EXPECT_EQ(second->Wait(10000), 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (first->Stderr().find("软件标示 ") == std::string::npos &&
           std::chrono::steady_clock::now() < until) {
        most = std::max(most, threads());
    }
    EXPECT_NE(first->Stderr().find("，0d1d"), std::string::npos) << "the window came to the front";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    most = std::max(most, threads());
    done = true;
    companion.join();
    EXPECT_GT(sent.load(), 30);
    EXPECT_EQ(refused.load(), 0) << lastError;
    EXPECT_LE(most, before + 2) << "no thread per request (Qt may start one of its own)";
    first->Signal(SIGTERM);
    EXPECT_EQ(first->Wait(10000), 0);
}

TEST_F(ProgramTest, StartUpFailsClosedWithAClearMessage) {
    // The instance lock cannot be taken (its path is a folder): not even one instance runs,
    // since it could not tell whether another does.
    std::filesystem::create_directories(dir_ / "run/marlo-gear/instance.lock");
    chmod((dir_ / "run/marlo-gear").c_str(), 0700);
    auto locked = Program();
    EXPECT_EQ(locked->Wait(10000), 1);
    EXPECT_NE(locked->Stderr().find("marlo-gear: cannot open the instance lock"), std::string::npos)
        << locked->Stderr();
    std::filesystem::remove(dir_ / "run/marlo-gear/instance.lock");

    if (geteuid() == 0) {
        // Root with another user's folders (as under sudo) would leave folders that user cannot
        // write: refused before anything is made.
        std::filesystem::create_directories(dir_ / "data");
        ASSERT_EQ(chown((dir_ / "data").c_str(), 65534, 65534), 0);
        auto foreign = Program();
        EXPECT_EQ(foreign->Wait(10000), 1);
        EXPECT_NE(foreign->Stderr().find("belongs to user 65534"), std::string::npos)
            << foreign->Stderr();
        EXPECT_FALSE(std::filesystem::exists(dir_ / "data/Marlo Gear"));
    }
}

}  // namespace
