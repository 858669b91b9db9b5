#include "hid/NodeChangeWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>

namespace marlo::hid {

NodeChangeWatch::NodeChangeWatch(const std::filesystem::path& root)
    : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ < 0) {
        return;
    }
    // Nodes appear, go, are renamed into place, or get their permissions (udev sets them just
    // after the node appears: an open refused a moment ago may now succeed).
    const uint32_t events = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB;
    if (inotify_add_watch(fd_, (root / "dev").c_str(), events) < 0) {
        close(fd_);
        fd_ = -1;
    }
}

NodeChangeWatch::~NodeChangeWatch() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool NodeChangeWatch::Drain() {
    if (fd_ < 0) {
        return false;
    }
    bool any = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            any = true;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return any;
    }
}

}  // namespace marlo::hid
