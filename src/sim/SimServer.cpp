#include "sim/SimServer.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <future>
#include <set>

#include "hid/DeviceLockFile.h"
#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"
#include "platform/UnixSocket.h"
#include "sim/SimCatalog.h"

namespace marlo::sim {

namespace {

// The link is paced in microseconds: a millisecond clock would let every report wait up to a
// millisecond more than its frame.
uint64_t NowUs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000000u + static_cast<uint64_t>(t.tv_nsec) / 1000u;
}

constexpr uint64_t kFrameUs = 1000;  // one report per millisecond each way

}  // namespace

struct SimServer::Node {
    std::string name;
    std::string node;
    std::unique_ptr<SimDevice> device;
    int listenFd = -1;
    std::vector<int> connections;
    Fault fault = Fault::kNone;
    uint32_t faultRemaining = 0;  // 0: until cleared
    uint64_t lastOutUs = 0;
    uint64_t lastInUs = 0;
    std::filesystem::path soundCard;  // the headset's sound card entry, when it has one
    uint64_t stalledUntilUs = 0;      // nothing is read from the handles before then
    platform::FileLock heldLock;      // the device lock, while another program is played
};

namespace {

constexpr size_t kMaxDatagram = 16384;

std::string Uevent(const SimDeviceInfo& info) {
    char text[512];
    std::snprintf(
        text, sizeof text,
        "DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\nHID_NAME=%s\n"
        "HID_PHYS=usb-marlo-sim-1/input%u\nHID_UNIQ=\nMODALIAS=hid:b0003g0001v%08Xp%08X\n",
        info.vendorId, info.productId, info.productName.c_str(), info.interfaceNumber,
        info.vendorId, info.productId);
    return text;
}

}  // namespace

SimServer::SimServer(std::filesystem::path root) : SimServer(std::move(root), Options()) {}

SimServer::SimServer(std::filesystem::path root, Options options)
    : root_(std::move(root)), options_(options) {
    std::error_code ec;
    std::filesystem::create_directories(root_ / "dev", ec);
    std::filesystem::create_directories(root_ / "sys/class/hidraw", ec);
    worker_.Start([this](platform::Event& stop) { Run(stop); });
}

SimServer::~SimServer() {
    worker_.Stop(platform::kInfinite);
    // The server thread has ended: its nodes are this thread's now.
    while (!nodes_.empty()) {
        RemoveNode(*nodes_.begin()->second);
    }
}

bool SimServer::Call(const std::function<void()>& fn) {
    if (std::this_thread::get_id() == serverThread_) {
        fn();
        return true;
    }
    auto done = std::make_shared<std::promise<bool>>();
    std::future<bool> ran = done->get_future();
    {
        std::lock_guard lock(callsMutex_);
        if (!serving_) {
            return false;  // the server thread has ended: nothing would ever run it
        }
        calls_.push_back(QueuedCall{&fn, done});
    }
    wake_.Set();
    return ran.get();
}

void SimServer::RunCalls(bool run) {
    std::vector<QueuedCall> calls;
    {
        std::lock_guard lock(callsMutex_);
        calls.swap(calls_);
        if (!run) {
            serving_ = false;
        }
    }
    for (QueuedCall& call : calls) {
        if (run) {
            (*call.fn)();
        }
        call.done->set_value(run);
    }
}

void SimServer::Schedule(uint64_t dueUs, std::function<void()> action) {
    pending_.push_back(Pending{dueUs, sequence_++, std::move(action)});
}

void SimServer::Run(platform::Event& stop) {
    serverThread_ = std::this_thread::get_id();
    // The link's frames are a millisecond long: the default 50 µs of timer slack would make
    // every paced report late.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::vector<pollfd> fds;
    struct Source {
        Node* node;
        int fd;
        bool listening;
    };
    std::vector<Source> sources;
    for (;;) {
        fds.clear();
        sources.clear();
        fds.push_back({stop.fd(), POLLIN, 0});
        fds.push_back({wake_.fd(), POLLIN, 0});
        for (auto& [name, node] : nodes_) {
            fds.push_back({node->listenFd, POLLIN, 0});
            sources.push_back({node.get(), node->listenFd, true});
            // A stalled device reads nothing: what is written waits in its handles.
            const short wanted = node->stalledUntilUs > NowUs() ? 0 : POLLIN;
            for (int c : node->connections) {
                fds.push_back({c, wanted, 0});
                sources.push_back({node.get(), c, false});
            }
        }
        timespec timeout{};
        const timespec* wait = nullptr;  // no action due: until something happens
        if (!pending_.empty()) {
            const uint64_t due = std::min_element(pending_.begin(), pending_.end(),
                                                  [](const Pending& a, const Pending& b) {
                                                      return a.dueUs < b.dueUs;
                                                  })
                                     ->dueUs;
            const uint64_t now = NowUs();
            const uint64_t left = due <= now ? 0 : due - now;
            timeout.tv_sec = static_cast<time_t>(left / 1000000u);
            timeout.tv_nsec = static_cast<long>(left % 1000000u) * 1000;
            wait = &timeout;
        }
        const int n = ppoll(fds.data(), fds.size(), wait, nullptr);
        if (n < 0 && errno != EINTR) {
            break;
        }
        if (stop.TryConsume()) {
            break;
        }
        for (size_t i = 0; n > 0 && i < sources.size(); ++i) {
            const short events = fds[i + 2].revents;
            if (events == 0) {
                continue;
            }
            if (sources[i].listening) {
                Accept(*sources[i].node);
            } else {
                Receive(*sources[i].node, sources[i].fd);
            }
        }
        // Due actions, in due order (ties in the order they were scheduled).
        const uint64_t now = NowUs();
        std::vector<Pending> due;
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (it->dueUs <= now) {
                due.push_back(std::move(*it));
                it = pending_.erase(it);
            } else {
                ++it;
            }
        }
        std::sort(due.begin(), due.end(), [](const Pending& a, const Pending& b) {
            return a.dueUs != b.dueUs ? a.dueUs < b.dueUs : a.sequence < b.sequence;
        });
        for (Pending& p : due) {
            p.action();
        }
        if (wake_.TryConsume()) {
            RunCalls(true);
        }
    }
    // However the loop ended, the calls still queued are answered: they did not run.
    RunCalls(false);
}

void SimServer::Accept(Node& node) {
    for (;;) {
        const int fd = accept4(node.listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            return;
        }
        node.connections.push_back(fd);
    }
}

void SimServer::Receive(Node& node, int fd) {
    uint8_t buffer[kMaxDatagram];
    for (;;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            return;
        }
        if (n <= 0) {  // the handle was closed
            close(fd);
            std::erase(node.connections, fd);
            return;
        }
        Report report(buffer, buffer + n);
        if (!options_.usbTiming) {
            HandleOutputNow(node.name, report);
            continue;
        }
        // The report takes the next free frame of the link: one millisecond each way.
        const uint64_t at = std::max(NowUs(), node.lastOutUs) + kFrameUs;
        node.lastOutUs = at;
        Schedule(at, [this, name = node.name, report] { HandleOutputNow(name, report); });
    }
}

void SimServer::HandleOutputNow(const std::string& name, const Report& report) {
    const auto it = nodes_.find(name);
    if (it == nodes_.end()) {
        return;  // unplugged meanwhile
    }
    SendAnswers(name, it->second->device->HandleOutput(report), NowUs());
}

void SimServer::SendAnswers(const std::string& name, std::vector<Report> answers,
                            uint64_t readyUs) {
    Node& node = *nodes_.at(name);
    if (answers.empty()) {
        return;
    }
    uint64_t delayUs = 0;
    switch (node.fault) {
        case Fault::kNone:
            break;
        case Fault::kNoAnswer:
            answers.clear();
            break;
        case Fault::kWrongCode:
            for (Report& a : answers) {
                if (a.size() > 3) {
                    a[3] ^= 0x80;
                }
            }
            break;
        case Fault::kStatusFF:
        case Fault::kStatusFE:
            for (Report& a : answers) {
                if (a.size() > 7) {
                    a[7] = node.fault == Fault::kStatusFF ? 0xFF : 0xFE;
                }
            }
            break;
        case Fault::kLate:
            delayUs = uint64_t{options_.lateAnswerMs} * 1000u;
            break;
    }
    if (node.fault != Fault::kNone && node.faultRemaining > 0 && --node.faultRemaining == 0) {
        node.fault = Fault::kNone;
    }
    for (Report& answer : answers) {
        uint64_t at = readyUs;
        if (options_.usbTiming) {
            at = std::max(readyUs, node.lastInUs) + kFrameUs;
            node.lastInUs = at;
        }
        at += delayUs;
        if (at <= NowUs()) {
            Deliver(node, answer);
        } else {
            Schedule(at, [this, name, answer] {
                if (const auto it = nodes_.find(name); it != nodes_.end()) {
                    Deliver(*it->second, answer);
                }
            });
        }
    }
}

void SimServer::Deliver(Node& node, const Report& report) {
    for (int fd : node.connections) {
        // A handle that does not read for long loses reports, as a real node's queue does.
        send(fd, report.data(), report.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
}

bool SimServer::MakeSysfs(const std::string& node, const SimDeviceInfo& info) {
    // As in the kernel's sysfs: the class entry's "device" link leads to the HID device, which
    // sits in its USB interface, which sits in the USB device that has the release number.
    const std::filesystem::path usb = root_ / "sys/devices/marlo-sim" / (node + "-usb");
    const std::filesystem::path hidDevice = usb / (node + "-intf") / "hid";
    const std::filesystem::path classEntry = root_ / "sys/class/hidraw" / node;
    std::error_code ec;
    std::filesystem::create_directories(hidDevice, ec);
    std::filesystem::create_directories(classEntry, ec);
    if (ec) {
        return false;
    }
    char version[8];
    std::snprintf(version, sizeof version, "%04x\n", info.version);
    const std::string descriptor(info.reportDescriptor.begin(), info.reportDescriptor.end());
    // Whole when they appear, as the kernel's; they need not outlive the machine.
    constexpr auto kVolatile = platform::Durability::kVolatile;
    if (!platform::WriteFileAtomically(usb / "bcdDevice", version, kVolatile) ||
        !platform::WriteFileAtomically(hidDevice / "report_descriptor", descriptor, kVolatile) ||
        !platform::WriteFileAtomically(hidDevice / "uevent", Uevent(info), kVolatile)) {
        return false;
    }
    std::filesystem::create_directory_symlink(std::filesystem::path("../../../devices/marlo-sim") /
                                                  (node + "-usb") / (node + "-intf") / "hid",
                                              classEntry / "device", ec);
    return !ec;
}

void SimServer::RemoveNode(Node& node) {
    std::error_code ec;
    // The node goes in the same order as the kernel's: sysfs first, then the device node.
    std::filesystem::remove_all(root_ / "sys/class/hidraw" / node.node, ec);
    std::filesystem::remove_all(root_ / "sys/devices/marlo-sim" / (node.node + "-usb"), ec);
    if (!node.soundCard.empty()) {
        std::filesystem::remove_all(node.soundCard, ec);
    }
    unlink((root_ / "dev" / node.node).c_str());
    if (node.listenFd >= 0) {
        close(node.listenFd);
    }
    for (int fd : node.connections) {
        close(fd);
    }
    nodes_.erase(node.name);
}

std::optional<std::string> SimServer::Plug(const std::string& name,
                                           std::unique_ptr<SimDevice> device) {
    std::optional<std::string> result;
    Call([&] {
        if (!device || nodes_.contains(name)) {
            return;
        }
        std::set<std::string> taken;
        for (const auto& [n, node] : nodes_) {
            taken.insert(node->node);
        }
        std::string nodeName;
        for (int i = 0;; ++i) {
            nodeName = "hidraw" + std::to_string(i);
            std::error_code ec;
            if (!taken.contains(nodeName) &&
                !std::filesystem::exists(root_ / "dev" / nodeName, ec)) {
                break;
            }
        }
        auto node = std::make_unique<Node>();
        node->name = name;
        node->node = nodeName;
        node->device = std::move(device);
        // As the kernel does: the sysfs entry is whole before the device node appears, so a
        // program woken by the node finds everything it needs.
        const bool made = MakeSysfs(nodeName, node->device->info());
        node->listenFd =
            made ? platform::UnixSocket::Listen(root_ / "dev" / nodeName, SOCK_SEQPACKET, 64) : -1;
        if (node->listenFd < 0) {
            Node& n = *node;
            nodes_[name] = std::move(node);
            RemoveNode(n);
            return;
        }
        // A USB headset is a sound card too: its entry under proc/asound names its USB id.
        const SimDeviceInfo& info = node->device->info();
        if (info.vendorId == SimCatalog::kHeadsetVendor && info.productId == SimCatalog::kHeadsetProduct) {
            node->soundCard = root_ / "proc/asound" / ("card" + nodeName.substr(6));
            std::error_code ec;
            std::filesystem::create_directories(node->soundCard, ec);
            std::ofstream(node->soundCard / "usbid") << "0c76:1630\n";
            std::ofstream(node->soundCard / "id") << "Headset\n";
        }
        nodes_[name] = std::move(node);
        result = nodeName;
    });
    return result;
}

bool SimServer::Stall(const std::string& name, uint32_t ms) {
    bool found = false;
    Call([&] {
        const auto it = nodes_.find(name);
        if (it != nodes_.end()) {
            it->second->stalledUntilUs = NowUs() + uint64_t{ms} * 1000u;
            Schedule(it->second->stalledUntilUs, [] {});  // wakes the loop to read again
            found = true;
        }
    });
    return found;
}

bool SimServer::HoldLock(const std::string& name, uint32_t ms) {
    bool held = false;
    Call([&] {
        const auto it = nodes_.find(name);
        if (it == nodes_.end()) {
            return;
        }
        Node& node = *it->second;
        const auto file = hid::DeviceLockFile((root_ / "dev" / node.node).string());
        if (!file || !node.heldLock.Acquire(*file, 0)) {
            return;
        }
        node.heldLock.SwapHolder(0);  // another holder: the next one waits for stragglers
        Schedule(NowUs() + uint64_t{ms} * 1000u, [this, name] {
            if (const auto n = nodes_.find(name); n != nodes_.end()) {
                n->second->heldLock.Release();
            }
        });
        held = true;
    });
    return held;
}

bool SimServer::Unplug(const std::string& name) {
    bool found = false;
    Call([&] {
        const auto it = nodes_.find(name);
        if (it != nodes_.end()) {
            RemoveNode(*it->second);
            found = true;
        }
    });
    return found;
}

std::vector<std::string> SimServer::Names() {
    std::vector<std::string> names;
    Call([&] {
        for (const auto& [name, node] : nodes_) {
            names.push_back(name);
        }
    });
    return names;
}

std::optional<std::string> SimServer::NodeOf(const std::string& name) {
    std::optional<std::string> node;
    Call([&] {
        if (const auto it = nodes_.find(name); it != nodes_.end()) {
            node = it->second->node;
        }
    });
    return node;
}

bool SimServer::SendInput(const std::string& name, const Report& report) {
    bool found = false;
    Call([&] {
        if (const auto it = nodes_.find(name); it != nodes_.end()) {
            Node& node = *it->second;
            if (options_.usbTiming) {
                const uint64_t at = std::max(NowUs(), node.lastInUs) + kFrameUs;
                node.lastInUs = at;
                Schedule(at, [this, name, report] {
                    if (const auto n = nodes_.find(name); n != nodes_.end()) {
                        Deliver(*n->second, report);
                    }
                });
            } else {
                Deliver(node, report);
            }
            found = true;
        }
    });
    return found;
}

bool SimServer::InjectEvent(const std::string& name, uint16_t code) {
    std::optional<Report> report;
    if (!WithDevice(name, [&](SimDevice& device) { report = device.EventReport(code); }) ||
        !report) {
        return false;
    }
    return SendInput(name, *report);
}

bool SimServer::SetFault(const std::string& name, Fault fault, uint32_t count) {
    bool found = false;
    Call([&] {
        if (const auto it = nodes_.find(name); it != nodes_.end()) {
            it->second->fault = fault;
            it->second->faultRemaining = fault == Fault::kNone ? 0 : count;
            found = true;
        }
    });
    return found;
}

std::optional<Json::Value> SimServer::Dump(const std::string& name) {
    std::optional<Json::Value> dump;
    Call([&] {
        if (const auto it = nodes_.find(name); it != nodes_.end()) {
            const Node& node = *it->second;
            Json::Value d = node.device->Dump();
            d["name"] = node.name;
            d["node"] = node.node;
            d["handles"] = Json::UInt64(node.connections.size());
            char id[16];
            std::snprintf(id, sizeof id, "%04x:%04x", node.device->info().vendorId,
                          node.device->info().productId);
            d["id"] = id;
            d["interface"] = node.device->info().interfaceNumber;
            dump = d;
        }
    });
    return dump;
}

bool SimServer::WithDevice(const std::string& name, const std::function<void(SimDevice&)>& fn) {
    bool found = false;
    Call([&] {
        if (const auto it = nodes_.find(name); it != nodes_.end()) {
            fn(*it->second->device);
            found = true;
        }
    });
    return found;
}

std::optional<Fault> SimServer::ParseFault(const std::string& text) {
    static const std::pair<const char*, Fault> kNames[] = {
        {"none", Fault::kNone},
        {"no-answer", Fault::kNoAnswer},
        {"wrong-code", Fault::kWrongCode},
        {"status-ff", Fault::kStatusFF},
        {"status-fe", Fault::kStatusFE},
        {"late", Fault::kLate},
    };
    for (const auto& [n, f] : kNames) {
        if (text == n) {
            return f;
        }
    }
    return std::nullopt;
}

}  // namespace marlo::sim
