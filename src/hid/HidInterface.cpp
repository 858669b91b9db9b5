#include "hid/HidInterface.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "hid/HidPath.h"
#include "hid/HidrawNode.h"
#include "platform/DebugOutput.h"
#include "platform/UnixSocket.h"

namespace marlo::hid {
namespace {

// The largest report the kernel's hidraw delivers.
constexpr size_t kMaxReportBytes = 16384;

std::mutex& DefaultRootMutex() {
    static std::mutex m;
    return m;
}

std::optional<std::filesystem::path>& DefaultRootOverride() {
    static std::optional<std::filesystem::path> root;
    return root;
}

// Opens a node: a character device with open(), a simulated node (a Unix seqpacket socket)
// with connect(). Returns the fd or -1.
int OpenNode(const std::filesystem::path& node, bool read, bool write, bool* isSocket) {
    struct stat st {};
    if (stat(node.c_str(), &st) != 0) {
        return -1;
    }
    if (S_ISSOCK(st.st_mode)) {
        *isSocket = true;
        const int fd = platform::UnixSocket::Connect(node, SOCK_SEQPACKET);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
        return fd;
    }
    *isSocket = false;
    int flags = O_CLOEXEC | O_NONBLOCK;
    flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    return open(node.c_str(), flags);
}

}  // namespace

HidInterface::HidInterface() : root_(DefaultRoot()) {
    paths_.reserve(8);
}

HidInterface::~HidInterface() {
    Close();
    FreePaths();
}

std::filesystem::path HidInterface::DefaultRoot() {
    std::lock_guard lock(DefaultRootMutex());
    if (DefaultRootOverride()) {
        return *DefaultRootOverride();
    }
    if (const char* env = std::getenv("MARLO_HID_ROOT"); env != nullptr && *env != '\0') {
        return env;
    }
    return "/";
}

void HidInterface::SetDefaultRoot(const std::filesystem::path& root) {
    std::lock_guard lock(DefaultRootMutex());
    DefaultRootOverride() = root;
}

bool HidInterface::Enumerate() {
    FreePaths();
    paths_.reserve(8);
    const auto nodes = nodeCache_.List(root_);
    if (!nodes) {
        return false;
    }
    for (const NodeIdentityCache::Node& node : *nodes) {
        for (size_t c = 0; c < node.collections; ++c) {
            if (paths_.size() == paths_.capacity()) {
                paths_.reserve(paths_.capacity() * 2);
            }
            paths_.push_back(HidPath::Make(
                root_, node.name, node.attributes.vendorId, node.attributes.productId,
                node.interfaceNumber, node.collections > 1 ? static_cast<uint32_t>(c + 1) : 0));
        }
    }
    cursor_ = 0;
    return true;
}

std::optional<std::string> HidInterface::NextPath() {
    if (cursor_ >= paths_.size()) {
        return std::nullopt;
    }
    return paths_[cursor_++];
}

void HidInterface::FreePaths() {
    paths_.clear();
    paths_.shrink_to_fit();
    cursor_ = 0;
}

bool HidInterface::Open(const std::string& path, bool read, bool write, bool overlapped,
                        bool exclusive) {
    std::lock_guard opening(openMutex_);
    {
        std::unique_lock lock(mutex_);
        CloseLocked(lock);
        readAccess_ = read;
        writeAccess_ = write;
        overlapped_ = overlapped;
        exclusive_ = exclusive;
        path_ = path;
    }
    // The slow part, without the state lock: sysfs and the node itself.
    const std::string node = HidPath::NodeName(path);
    const auto info = HidrawNode::Read(HidPath::Root(path), node);
    if (!info) {
        return false;
    }
    const auto& collections = info->descriptor.collections();
    const uint32_t collectionFromPath = HidPath::CollectionNumber(path);
    const size_t index = collectionFromPath == 0 ? 0 : collectionFromPath - 1;
    if (index >= collections.size()) {
        platform::DebugOutput::Printf("%s: no collection %u in its report descriptor", node.c_str(),
                                      collectionFromPath);
        return false;
    }
    bool isSocket = false;
    const int fd = OpenNode(HidPath::DeviceNode(path), read, write, &isSocket);
    if (fd < 0) {
        return false;
    }
    const TopLevelCollection& collection = collections[index];
    ReportDecoder decoder(collection);

    std::lock_guard lock(mutex_);
    fd_ = fd;
    isSocket_ = isSocket;
    usesReportIds_ = info->descriptor.usesReportIds();
    inputReportIds_ = collection.reportIds[static_cast<int>(ReportType::kInput)];
    attributes_ = info->attributes;
    caps_.usage = collection.usage;
    caps_.usagePage = collection.usagePage;
    caps_.inputReportLength = collection.reportLength[0];
    caps_.outputReportLength = collection.reportLength[1];
    caps_.featureReportLength = collection.reportLength[2];
    caps_.inputButtonCaps = decoder.buttonCaps(ReportType::kInput);
    caps_.inputValueCaps = decoder.valueCaps(ReportType::kInput);
    caps_.outputButtonCaps = decoder.buttonCaps(ReportType::kOutput);
    caps_.outputValueCaps = decoder.valueCaps(ReportType::kOutput);
    caps_.featureButtonCaps = decoder.buttonCaps(ReportType::kFeature);
    caps_.featureValueCaps = decoder.valueCaps(ReportType::kFeature);
    decoder_ = std::move(decoder);
    for (int t = 0; t < kReportTypeCount; ++t) {
        reportBuffers_[t].assign(collection.reportLength[t], 0);
    }
    interfaceNumber_ = HidPath::InterfaceNumber(path);
    collectionNumber_ = collectionFromPath;
    lastReadFailure_ = Failure::kNone;
    lastWriteFailure_ = Failure::kNone;
    return true;
}

void HidInterface::Close() {
    std::lock_guard opening(openMutex_);
    std::unique_lock lock(mutex_);
    CloseLocked(lock);
}

void HidInterface::CancelTransfers() {
    std::unique_lock lock(mutex_);
    if (inFlight_ > 0 && !closing_) {
        closing_ = true;
        cancel_.Set();
        transfersDone_.wait(lock, [this] { return inFlight_ == 0; });
        cancel_.ResetEvent();
        closing_ = false;
    }
}

void HidInterface::CloseLocked(std::unique_lock<std::mutex>& lock) {
    if (inFlight_ > 0) {
        closing_ = true;
        cancel_.Set();
        transfersDone_.wait(lock, [this] { return inFlight_ == 0; });
        cancel_.ResetEvent();
        closing_ = false;
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    for (auto& buffer : reportBuffers_) {
        buffer.clear();
    }
    decoder_ = ReportDecoder();
    caps_ = HidCapabilities();
    attributes_ = HidAttributes();
    inputReportIds_.clear();
    interfaceNumber_ = 0;
    collectionNumber_ = 0;
}

bool HidInterface::IsOpen() const {
    std::lock_guard lock(mutex_);
    return fd_ >= 0;
}

HidInterface::Failure HidInterface::lastReadFailure() const {
    std::lock_guard lock(mutex_);
    return lastReadFailure_;
}

HidInterface::Failure HidInterface::lastWriteFailure() const {
    std::lock_guard lock(mutex_);
    return lastWriteFailure_;
}

HidAttributes HidInterface::attributes() const {
    std::lock_guard lock(mutex_);
    return attributes_;
}

HidCapabilities HidInterface::capabilities() const {
    std::lock_guard lock(mutex_);
    return caps_;
}

uint32_t HidInterface::interfaceNumber() const {
    std::lock_guard lock(mutex_);
    return interfaceNumber_;
}

uint32_t HidInterface::collectionNumber() const {
    std::lock_guard lock(mutex_);
    return collectionNumber_;
}

std::string HidInterface::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::vector<uint8_t> HidInterface::inputReport() const {
    std::lock_guard lock(mutex_);
    return reportBuffers_[0];
}

std::vector<HidDataEntry> HidInterface::inputEntries() const {
    std::lock_guard lock(mutex_);
    return decoder_.entries(ReportType::kInput);
}

bool HidInterface::BeginTransfer(Direction direction, int* fd) {
    std::lock_guard lock(mutex_);
    const bool allowed = direction == Direction::kRead ? readAccess_ : writeAccess_;
    if (fd_ < 0 || closing_ || !allowed) {
        (direction == Direction::kRead ? lastReadFailure_ : lastWriteFailure_) = Failure::kNotOpen;
        return false;
    }
    ++inFlight_;
    *fd = fd_;
    return true;
}

void HidInterface::EndTransfer(Direction direction, Failure failure) {
    std::lock_guard lock(mutex_);
    (direction == Direction::kRead ? lastReadFailure_ : lastWriteFailure_) = failure;
    if (--inFlight_ == 0) {
        transfersDone_.notify_all();
    }
}

int HidInterface::Read(uint8_t* buffer, uint32_t length, uint32_t* transferred,
                       uint32_t timeoutMs) {
    return Transfer(Direction::kRead, buffer, length, transferred, timeoutMs);
}

bool HidInterface::WaitForInput(uint32_t timeoutMs, platform::Event* stop) {
    int fd = -1;
    if (!BeginTransfer(Direction::kRead, &fd)) {
        return false;
    }
    const uint64_t start = platform::MonotonicMs();
    // A stop event set meanwhile ends the wait as a cancel does (-1 is left out by poll).
    pollfd fds[3] = {
        {cancel_.fd(), POLLIN, 0}, {fd, POLLIN, 0}, {stop != nullptr ? stop->fd() : -1, POLLIN, 0}};
    int n = 0;
    do {
        const uint32_t left = platform::RemainingMs(timeoutMs, start);
        n = poll(fds, 3, left == platform::kInfinite ? -1 : static_cast<int>(left));
    } while (n < 0 && errno == EINTR);
    Failure failure = Failure::kNone;
    if (n < 0) {
        failure = Failure::kIoError;
    } else if (n == 0) {
        failure = Failure::kTimeout;
    } else if ((fds[0].revents & POLLIN) || (fds[2].revents & POLLIN)) {
        failure = Failure::kCancelled;
    } else if (!(fds[1].revents & POLLIN)) {
        failure = Failure::kDisconnected;
    }
    EndTransfer(Direction::kRead, failure);
    return failure == Failure::kNone;
}

int HidInterface::Write(const uint8_t* buffer, uint32_t length, uint32_t* transferred,
                        uint32_t timeoutMs) {
    // The write path only reads from the buffer.
    return Transfer(Direction::kWrite, const_cast<uint8_t*>(buffer), length, transferred,
                    timeoutMs);
}

int HidInterface::Transfer(Direction direction, uint8_t* buffer, uint32_t length,
                           uint32_t* transferred, uint32_t timeoutMs) {
    if (transferred != nullptr) {
        *transferred = 0;
    }
    int fd = -1;
    if (!BeginTransfer(direction, &fd)) {
        return 0;
    }
    // The handle and the report ID filter cannot change while a transfer is in flight: Close
    // and Open wait for it under the lock BeginTransfer took, so they are read without it.
    const std::vector<uint8_t>& wantedIds = inputReportIds_;
    const bool usesIds = usesReportIds_;
    const bool isSocket = isSocket_;
    const bool reading = direction == Direction::kRead;
    uint8_t report[kMaxReportBytes + 1];
    const uint64_t start = platform::MonotonicMs();
    Failure failure = Failure::kTimeout;
    int result = 0;
    // A write, and a read that may not wait, try at once (the handle never blocks): a write
    // almost always goes through, and a look for a waiting report needs no wait. Only when
    // that would block does the call wait, for the handle or a cancel.
    // A read that may not wait goes through the waiting reports until one of this collection
    // or none is left.
    const bool takeWaiting = reading && timeoutMs == 0;
    bool tryAtOnce = !reading || takeWaiting;
    for (bool first = true;; first = false) {
        // One deadline for the whole call: a node that keeps delivering reports of other
        // collections must not keep it going.
        const uint32_t left = platform::RemainingMs(timeoutMs, start);
        if (left == 0 && !first && !takeWaiting) {
            failure = Failure::kTimeout;
            break;
        }
        short ready = reading ? POLLIN : POLLOUT;
        if (!tryAtOnce) {
            pollfd fds[2] = {{cancel_.fd(), POLLIN, 0},
                             {fd, short(reading ? POLLIN : POLLOUT), 0}};
            const int n =
                poll(fds, 2, left == platform::kInfinite ? -1 : static_cast<int>(left));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                failure = Failure::kIoError;
                break;
            }
            if (n == 0) {
                failure = Failure::kTimeout;
                break;
            }
            if (fds[0].revents & POLLIN) {
                failure = Failure::kCancelled;
                break;
            }
            ready = fds[1].revents;
        }
        tryAtOnce = takeWaiting;
        if (reading && (ready & POLLIN)) {
            // Reports without IDs get a 0 in front, so byte 0 is always the report ID.
            const size_t prefix = usesIds ? 0 : 1;
            report[0] = 0;
            const ssize_t got = isSocket ? recv(fd, report + prefix, kMaxReportBytes, 0)
                                         : read(fd, report + prefix, kMaxReportBytes);
            if (got < 0 && errno == EAGAIN && takeWaiting) {
                failure = Failure::kTimeout;  // nothing (more) is waiting
                break;
            }
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (got <= 0) {
                failure = got == 0 || errno == ENODEV || errno == ECONNRESET
                              ? Failure::kDisconnected
                              : Failure::kIoError;
                break;
            }
            const size_t size = static_cast<size_t>(got) + prefix;
            if (usesIds &&
                std::find(wantedIds.begin(), wantedIds.end(), report[0]) == wantedIds.end()) {
                continue;  // a report of another collection of this node
            }
            const size_t copied = std::min<size_t>(size, length);
            std::memcpy(buffer, report, copied);
            if (transferred != nullptr) {
                *transferred = static_cast<uint32_t>(copied);
            }
            result = 1;
            failure = Failure::kNone;
            break;
        }
        if (!reading && (ready & POLLOUT)) {
            const ssize_t put =
                isSocket ? send(fd, buffer, length, MSG_NOSIGNAL) : write(fd, buffer, length);
            if (put < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (put < 0) {
                failure = (errno == EPIPE || errno == ENODEV || errno == ECONNRESET)
                              ? Failure::kDisconnected
                              : Failure::kIoError;
                break;
            }
            if (transferred != nullptr) {
                *transferred = static_cast<uint32_t>(put);
            }
            result = 1;
            failure = Failure::kNone;
            break;
        }
        if (ready & (POLLHUP | POLLERR | POLLNVAL)) {
            failure = Failure::kDisconnected;
            break;
        }
    }
    EndTransfer(direction, failure);
    return result;
}

bool HidInterface::DecodeInput(const uint8_t* report, uint32_t length) {
    if (report == nullptr || length == 0) {
        return false;
    }
    std::lock_guard lock(mutex_);
    return decoder_.Decode(ReportType::kInput, std::span(report, length));
}

bool HidInterface::IsPresent(const std::string& path) {
    return HidrawNode::Present(HidPath::Root(path), HidPath::NodeName(path));
}

}  // namespace marlo::hid
