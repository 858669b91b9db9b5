#include "AudioCompanion.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/DebugOutput.h"
#include "platform/Event.h"

extern char** environ;

namespace marlo::app {

using platform::DebugOutput;

bool CAudioCompanion::running() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        DebugOutput::Printf("the audio companion ended (status %d)", status);
        pid_ = -1;
        endedAtMs_ = platform::MonotonicMs();
        return false;
    }
    return true;
}

void CAudioCompanion::Need(bool needed) {
    const bool isRunning = running();
    if (needed && !isRunning) {
        if (endedAtMs_ != 0 && platform::MonotonicMs() < endedAtMs_ + kRetryMs) {
            return;  // it ended by itself a moment ago
        }
        Start();
    } else if (!needed) {
        endedAtMs_ = 0;
        if (isRunning) {
            Stop();
        }
    }
}

void CAudioCompanion::Start() {
    const std::string path = program_.string();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    if (const int error = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ);
        error != 0) {
        DebugOutput::Printf("the audio companion cannot be started: %s: %s", path.c_str(),
                            std::strerror(error));
        endedAtMs_ = platform::MonotonicMs();
        return;
    }
    pid_ = pid;
    endedAtMs_ = 0;
    DebugOutput::Printf("the audio companion started (%d)", static_cast<int>(pid));
}

void CAudioCompanion::Stop() {
    kill(pid_, SIGTERM);
    // It ends within one step of its spectrum; one that does not is killed.
    const uint64_t until = platform::MonotonicMs() + kStopWaitMs;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (platform::MonotonicMs() >= until) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
}

}  // namespace marlo::app
