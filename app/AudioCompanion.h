#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>

namespace marlo::app {

// The audio companion (marlo-audio) as a child of the program: started while a device shows
// its music mode, ended when none does. A companion that ends by itself (no sound server) is
// started again only after a while, not at every check.
class CAudioCompanion {
  public:
    static constexpr uint64_t kRetryMs = 30000;
    static constexpr uint32_t kStopWaitMs = 1000;

    explicit CAudioCompanion(std::filesystem::path program) : program_(std::move(program)) {}
    ~CAudioCompanion() { Need(false); }
    CAudioCompanion(const CAudioCompanion&) = delete;
    CAudioCompanion& operator=(const CAudioCompanion&) = delete;

    // Starts it when needed and not running, ends it when running and not needed.
    void Need(bool needed);
    // Whether the child runs (it is reaped when it ended).
    bool running();

  private:
    void Start();
    void Stop();
    std::filesystem::path program_;
    pid_t pid_ = -1;
    uint64_t endedAtMs_ = 0;  // when a child ended by itself; 0 when none did
};

}  // namespace marlo::app
