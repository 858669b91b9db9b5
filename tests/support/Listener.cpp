#include "support/Listener.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/OtherWindows.h"

namespace marlo::test {

Listener::Listener(const std::string& binDir, const std::string& title) {
    int out[2];
    if (pipe(out) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        close(out[0]);
        const std::string cli = binDir + "/marloctl";
        execl(cli.c_str(), cli.c_str(), "listen", title.c_str(), "--seconds", "30",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    out_ = out[0];
    for (int i = 0; i < 500 && !registered_; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        registered_ = platform::OtherWindows::Find(title, "").has_value();
    }
}

Listener::~Listener() {
    Stop();
    if (out_ >= 0) {
        close(out_);
    }
}

const std::string& Listener::ReadLines(size_t count, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (static_cast<size_t>(std::count(lines_.begin(), lines_.end(), '\n')) < count &&
           std::chrono::steady_clock::now() < deadline) {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, 20) > 0) {
            char buffer[4096];
            const ssize_t n = read(out_, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            lines_.append(buffer, static_cast<size_t>(n));
        }
    }
    return lines_;
}

int Listener::Stop() {
    if (pid_ <= 0) {
        return -1;
    }
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace marlo::test
