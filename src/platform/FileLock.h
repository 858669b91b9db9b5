#pragma once

#include <cstdint>
#include <filesystem>

namespace marlo::platform {

// An exclusive advisory lock (flock) on a file, held from a successful Acquire until the
// object goes or Release is called. Locks taken through different FileLock objects exclude
// each other, within one process as across processes; the kernel drops the lock when the
// holder dies, however it ends.
class FileLock {
  public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;

    // Takes the lock on `file` (created with mode 0600 when missing), waiting up to `waitMs`
    // for another holder (0: only tries; kInfinite: no limit). False when it could not be
    // opened or was still held by another when the time ran out. While it waits it says so
    // in "<file>.wait", for holders that only try and would otherwise take it back first.
    bool Acquire(const std::filesystem::path& file, uint32_t waitMs);
    // Whether anyone, in any process, waits for the lock on `file` now: a holder that takes
    // the lock again and again (a stream) lets such a waiter go first.
    static bool Awaited(const std::filesystem::path& file);
    void Release();
    bool held() const { return fd_ >= 0; }

    // For a held lock: records `holder` in the file and returns the holder recorded before
    // (0 when none), so a holder can tell whether someone else had the lock in between.
    uint64_t SwapHolder(uint64_t holder);

  private:
    int fd_ = -1;
};

}  // namespace marlo::platform
