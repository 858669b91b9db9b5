#include "hook/EvdevInput.h"

#include <optional>
#include <utility>

#include "hook/OutsideQueue.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/DebugOutput.h"

namespace marlo::hook {
namespace {

struct EvdevFree {
    void operator()(libevdev* device) const { libevdev_free(device); }
};

// True for a node that reports typing keys or mouse buttons.
bool IsKeyboardOrMouse(int fd, std::string& name) {
    libevdev* raw = nullptr;
    if (libevdev_new_from_fd(fd, &raw) < 0) {
        return false;
    }
    const std::unique_ptr<libevdev, EvdevFree> device(raw);
    const char* deviceName = libevdev_get_name(device.get());
    name = deviceName != nullptr ? deviceName : "";
    return libevdev_has_event_code(device.get(), EV_KEY, KEY_A) ||
           libevdev_has_event_code(device.get(), EV_KEY, KEY_ENTER) ||
           libevdev_has_event_code(device.get(), EV_KEY, BTN_LEFT);
}

}  // namespace

CEvdevInput::CEvdevInput(std::string directory) : directory_(std::move(directory)) {}

CEvdevInput::~CEvdevInput() { Stop(); }

size_t CEvdevInput::Start(Sink sink) {
    Stop();
    std::vector<int> descriptors;
    size_t refused = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, error)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("event", 0) != 0) {
            continue;
        }
        const int fd = open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            refused += errno == EACCES || errno == EPERM ? 1 : 0;
            continue;
        }
        std::string name;
        if (!IsKeyboardOrMouse(fd, name)) {
            close(fd);
            continue;
        }
        platform::DebugOutput::Printf("outside hook: reading %s (%s)", entry.path().c_str(),
                                      name.c_str());
        descriptors.push_back(fd);
    }
    if (descriptors.empty()) {
        platform::DebugOutput::Printf(
            "outside hook: no keyboard or mouse under %s can be read (%zu not allowed)",
            directory_.c_str(), refused);
    }
    return StartWith(std::move(descriptors), std::move(sink));
}

size_t CEvdevInput::StartWith(std::vector<int> descriptors, Sink sink) {
    Stop();
    for (const int fd : descriptors) {
        nodes_.push_back(Node{fd, {}, {}});
    }
    if (nodes_.empty()) {
        return 0;
    }
    sink_ = std::move(sink);
    reader_.Start([this](platform::Event& stop) { Read(stop); }, "evdev reader");
    return nodes_.size();
}

void CEvdevInput::Stop() {
    reader_.Stop(platform::kInfinite);
    CloseAll();
    sink_ = nullptr;
}

void CEvdevInput::CloseAll() {
    for (Node& node : nodes_) {
        close(node.fd);
    }
    nodes_.clear();
}

void CEvdevInput::Read(platform::Event& stop) {
    std::vector<pollfd> polled;
    while (!nodes_.empty()) {
        polled.assign(1, pollfd{stop.fd(), POLLIN, 0});
        for (const Node& node : nodes_) {
            polled.push_back(pollfd{node.fd, POLLIN, 0});
        }
        if (poll(polled.data(), polled.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (polled[0].revents != 0) {
            return;
        }
        // Walk back, so that removing a node leaves the indices still to visit in place.
        for (size_t i = nodes_.size(); i-- > 0;) {
            if (polled[i + 1].revents != 0 && !Drain(nodes_[i])) {
                close(nodes_[i].fd);
                nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }
}

bool CEvdevInput::Drain(Node& node) {
    char buffer[64 * sizeof(input_event)];
    for (;;) {
        const ssize_t got = read(node.fd, buffer, sizeof buffer);
        if (got == 0) {
            return false;
        }
        if (got < 0) {
            return errno == EAGAIN || errno == EINTR;
        }
        node.pending.append(buffer, static_cast<size_t>(got));
        size_t used = 0;
        // The movement of one read goes on as one input, before the next key or button.
        std::optional<OutsideInput> move;
        for (; node.pending.size() - used >= sizeof(input_event); used += sizeof(input_event)) {
            input_event event;
            std::memcpy(&event, node.pending.data() + used, sizeof event);
            auto input = node.translator.Feed(event.type, event.code, event.value);
            if (!input) {
                continue;
            }
            if (input->kind == OutsideInput::Kind::kMove) {
                if (move) {
                    COutsideQueue::AddMove(*move, *input);
                } else {
                    move = input;
                }
                continue;
            }
            if (move) {
                sink_(*std::exchange(move, std::nullopt));
            }
            sink_(*input);
        }
        if (move) {
            sink_(*move);
        }
        node.pending.erase(0, used);
    }
}

}  // namespace marlo::hook
