#include "platform/FolderWatch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/DebugOutput.h"

namespace marlo::platform {

FolderWatch::~FolderWatch() {
    Stop();
}

void FolderWatch::Add(const std::filesystem::path& folder) {
    const int wd =
        inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_ONLYDIR);
    if (wd >= 0) {
        folders_[wd] = folder;
    }
}

bool FolderWatch::Start(const std::filesystem::path& folder, Changed changed) {
    Stop();
    fd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd_ < 0) {
        DebugOutput::Printf("files written by other programs are not followed: inotify: %s",
                            std::strerror(errno));
        return false;
    }
    Add(folder);
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            Add(it->path());
        }
    }
    if (folders_.empty()) {
        Stop();
        return false;
    }
    changed_ = std::move(changed);
    return worker_.Start([this](Event& stop) { Run(stop); }, "folder watch");
}

void FolderWatch::Stop() {
    worker_.Stop(kInfinite);
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    folders_.clear();
}

void FolderWatch::Run(Event& stop) {
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {fd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            return;
        }
        std::vector<std::filesystem::path> files;
        for (;;) {
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                const auto folder = folders_.find(event->wd);
                if (event->len == 0 || folder == folders_.end() || event->name[0] == '.') {
                    continue;
                }
                const std::filesystem::path file = folder->second / event->name;
                if ((event->mask & IN_ISDIR) != 0) {
                    if ((event->mask & (IN_CREATE | IN_MOVED_TO)) != 0 && folders_.size() < 64) {
                        Add(file);  // a device's folder made after the start
                    }
                    continue;
                }
                if ((event->mask & IN_CREATE) != 0) {
                    continue;  // written whole later: its close or rename is what counts
                }
                if (std::find(files.begin(), files.end(), file) == files.end()) {
                    files.push_back(file);
                }
            }
        }
        if (!files.empty()) {
            changed_(files);
        }
    }
}

}  // namespace marlo::platform
