#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include "platform/WorkerThread.h"

namespace marlo::platform {

// Files of a folder and its subfolders written by anyone (this program, marloctl, another
// program): a thread of its own blocks on inotify until a file there is written whole (closed
// after writing, or renamed into place, as every document of the program is) and hands its path
// on. A subfolder made later is followed from then on. Temporary files of atomic writes (names
// starting with '.') are passed over. Nothing wakes the thread when nothing is written.
class FolderWatch {
  public:
    // On the watch's thread; the paths of one batch of changes, each once.
    using Changed = std::function<void(const std::vector<std::filesystem::path>& files)>;

    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder` and the subfolders it has or gets; false when it cannot be watched
    // (nothing runs then).
    bool Start(const std::filesystem::path& folder, Changed changed);
    void Stop();
    bool running() const { return worker_.IsRunning(); }

  private:
    void Run(Event& stop);
    void Add(const std::filesystem::path& folder);

    int fd_ = -1;
    std::map<int, std::filesystem::path> folders_;  // by watch descriptor
    Changed changed_;
    WorkerThread worker_;
};

}  // namespace marlo::platform
