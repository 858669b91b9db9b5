#pragma once

#include <filesystem>
#include <string>

namespace marlo::platform {

// Holds the program's instance lock (an flock on a file in the private runtime folder) for
// its lifetime. The lock goes with the process, however it ends.
class SingleInstance {
  public:
    enum class State { kFirst, kAnotherRunning, kFailed };

    explicit SingleInstance(const std::filesystem::path& lockFile);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // kFailed when the lock could not be made or taken for a reason other than another
    // instance holding it: the program must not run then, since it could not tell whether
    // another one does.
    State state() const { return state_; }
    bool IsFirst() const { return state_ == State::kFirst; }
    bool AnotherIsRunning() const { return state_ == State::kAnotherRunning; }
    // What went wrong, for kFailed.
    const std::string& error() const { return error_; }

  private:
    int fd_ = -1;
    State state_ = State::kFailed;
    std::string error_;
};

}  // namespace marlo::platform
