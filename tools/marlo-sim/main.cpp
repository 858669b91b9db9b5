// marlo-sim: serves emulated devices under a root, for the program, its tests and demos.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/FdIo.h"
#include "platform/UnixSocket.h"
#include "sim/SimCatalog.h"
#include "sim/SimConsole.h"
#include "sim/SimServer.h"

namespace {

constexpr const char* kUsage =
    "usage: marlo-sim [--root DIR] [--plug KIND[,KIND...]] [--usb-timing]\n"
    "                 [--fault NAME=KIND[:COUNT]]...\n"
    "Serves emulated HID devices under DIR (a new temporary folder by default) and takes\n"
    "commands on stdin and on DIR/marlo-sim.sock.\n";

// A command line longer than this is refused and its client dropped.
constexpr size_t kMaxLine = 64 * 1024;
// How long an answer may wait for a client that does not read it.
constexpr uint32_t kReplyTimeoutMs = 1000;

bool Failed(const std::string& answer) {
    return answer.starts_with("error");
}

}  // namespace

int main(int argc, char** argv) {
    std::string root;
    std::string plug = "keyboard,headset";
    std::vector<std::string> faults;
    marlo::sim::SimServer::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (arg == "--plug" && i + 1 < argc) {
            plug = argv[++i];
        } else if (arg == "--usb-timing") {
            options.usbTiming = true;
        } else if (arg == "--fault" && i + 1 < argc) {
            faults.push_back(argv[++i]);
        } else {
            std::fputs(kUsage, arg == "--help" ? stdout : stderr);
            return arg == "--help" ? 0 : 2;
        }
    }
    bool ownRoot = false;
    if (root.empty()) {
        char pattern[] = "/tmp/marlo-sim-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::perror("marlo-sim: mkdtemp");
            return 1;
        }
        root = pattern;
        ownRoot = true;
    }

    // A reader of stdout or a control client that goes away must not end the simulator.
    signal(SIGPIPE, SIG_IGN);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::perror("marlo-sim: signalfd");
        return 1;
    }

    int status = 0;
    {
        marlo::sim::SimServer server(root, options);
        marlo::sim::SimConsole console(server);
        std::printf("root %s\n", root.c_str());
        size_t start = 0;
        while (start <= plug.size() && !plug.empty()) {
            const size_t comma = plug.find(',', start);
            const std::string kind = plug.substr(start, comma - start);
            if (!kind.empty()) {
                const std::string answer = console.Execute("plug " + kind);
                std::fputs(answer.c_str(), Failed(answer) ? stderr : stdout);
                status = Failed(answer) ? 1 : status;
            }
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
        for (const std::string& f : faults) {
            const size_t eq = f.find('=');
            std::string spec = eq == std::string::npos ? f : f.substr(eq + 1);
            const size_t colon = spec.find(':');
            const std::string count =
                colon == std::string::npos ? "" : " " + spec.substr(colon + 1);
            spec = spec.substr(0, colon);
            const std::string answer =
                console.Execute("fault " + f.substr(0, eq) + " " + spec + count);
            std::fputs(answer.c_str(), Failed(answer) ? stderr : stdout);
            status = Failed(answer) ? 1 : status;
        }
        const std::filesystem::path controlPath = std::filesystem::path(root) / "marlo-sim.sock";
        const int control =
            status == 0 ? marlo::platform::UnixSocket::Listen(controlPath, SOCK_STREAM, 8) : -1;
        if (status == 0 && control < 0) {
            std::fprintf(stderr, "marlo-sim: cannot listen at %s: %s\n", controlPath.c_str(),
                         std::strerror(errno));
            status = 1;
        }
        if (status != 0) {
            // Never "ready" for a simulator that is not what was asked for.
            console.Execute("quit");
        } else {
            std::printf("control %s\nready\n", controlPath.c_str());
            std::fflush(stdout);
        }

        std::map<int, std::string> clients;  // fd -> partial line
        bool stdinOpen = true;
        std::string stdinLine;
        while (!console.quitRequested()) {
            std::vector<pollfd> fds = {
                {signalFd, POLLIN, 0}, {stdinOpen ? 0 : -1, POLLIN, 0}, {control, POLLIN, 0}};
            for (const auto& [fd, partial] : clients) {
                fds.push_back({fd, POLLIN, 0});
            }
            if (poll(fds.data(), fds.size(), -1) < 0) {
                continue;
            }
            if (fds[0].revents & POLLIN) {
                break;
            }
            // Reads what is there and answers each whole line; false when the source is done
            // (closed, too long a line, or a client that does not take its answers).
            auto consume = [&](int fd, std::string& partial, int replyFd) {
                char buffer[4096];
                const ssize_t n = read(fd, buffer, sizeof buffer);
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                    return true;
                }
                if (n <= 0) {
                    return false;
                }
                partial.append(buffer, static_cast<size_t>(n));
                for (size_t eol; (eol = partial.find('\n')) != std::string::npos;) {
                    const std::string answer = console.Execute(partial.substr(0, eol));
                    partial.erase(0, eol + 1);
                    if (!marlo::platform::WriteAll(replyFd, answer, kReplyTimeoutMs)) {
                        return false;
                    }
                }
                if (partial.size() > kMaxLine) {
                    marlo::platform::WriteAll(replyFd, "error line too long\n", kReplyTimeoutMs);
                    return false;
                }
                return true;
            };
            if (fds[1].revents & (POLLIN | POLLHUP)) {
                // End of input leaves the devices served; quit or a signal ends the program.
                stdinOpen = consume(0, stdinLine, 1);
            }
            if (fds[2].revents & POLLIN) {
                const int client = accept4(control, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (client >= 0) {
                    clients[client];
                }
            }
            for (size_t i = 3; i < fds.size(); ++i) {
                if (fds[i].revents != 0 && !consume(fds[i].fd, clients[fds[i].fd], fds[i].fd)) {
                    close(fds[i].fd);
                    clients.erase(fds[i].fd);
                }
            }
        }
        for (const auto& [fd, partial] : clients) {
            close(fd);
        }
        if (control >= 0) {
            close(control);
        }
        unlink(controlPath.c_str());
    }
    if (ownRoot) {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    return status;
}
