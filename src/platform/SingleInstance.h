#pragma once

#include <filesystem>

namespace marlo::platform {

// Holds the program's instance lock (an flock on a file in the private runtime folder) for
// its lifetime. The lock goes with the process, however it ends.
class SingleInstance {
  public:
    explicit SingleInstance(const std::filesystem::path& lockFile);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process holds the lock; false when another instance does (or the lock
    // could not be made, in which case the program goes on as the first instance).
    bool IsFirst() const { return first_; }
    bool AnotherIsRunning() const { return anotherRunning_; }

  private:
    int fd_ = -1;
    bool first_ = false;
    bool anotherRunning_ = false;
};

}  // namespace marlo::platform
