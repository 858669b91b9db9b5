#pragma once

#include <filesystem>

namespace marlo::hid {

// Tells when device nodes come and go under <root>/dev (inotify), so discovery can look at
// once instead of at its next poll. The kernel makes a node's sysfs entry before the node
// itself and removes it first, so a node's appearance means its entry is whole. Polling stays
// the fallback: a root whose /dev cannot be watched simply never signals.
class NodeChangeWatch {
  public:
    explicit NodeChangeWatch(const std::filesystem::path& root);
    ~NodeChangeWatch();
    NodeChangeWatch(const NodeChangeWatch&) = delete;
    NodeChangeWatch& operator=(const NodeChangeWatch&) = delete;

    // Readable when something changed; -1 when nothing is watched. Owned by the watch.
    int fd() const { return fd_; }
    // Takes the pending notifications; true when there were any.
    bool Drain();

  private:
    int fd_ = -1;
};

}  // namespace marlo::hid
