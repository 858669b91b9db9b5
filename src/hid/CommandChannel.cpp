#include "hid/CommandChannel.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include <unistd.h>

#include "hid/DeviceLockFile.h"
#include "platform/DebugOutput.h"

namespace marlo::hid {

using platform::DebugOutput;

namespace {

void DebugReport(const char* title, std::span<const uint8_t> report) {
    if (!DebugOutput::Active()) {
        return;
    }
    DebugOutput::Write(title);
    DebugOutput::Write(CommandReport::DebugLine(report, 0));
    DebugOutput::Write(CommandReport::DebugLine(report, 1));
}

// Counts an exchange in progress however it ends.
class BusyScope {
  public:
    explicit BusyScope(std::atomic<int>& count) : count_(count) { ++count_; }
    ~BusyScope() { --count_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    std::atomic<int>& count_;
};

// Reports that wait before a request are answers of requests this handle did not make (another
// program's, or one that timed out here): they are dropped so they cannot pass for the answer.
// With `settleMs`, it also waits that long after the last one for stragglers.
void DrainStale(HidInterface& hid, uint32_t settleMs) {
    CommandReport::Bytes stale{};
    uint32_t moved = 0;
    // Everything that waits: another program's stream leaves hundreds of answers on this
    // handle. The bound only keeps a device that reports without end from holding us here.
    for (int i = 0; i < 16384; ++i) {
        if (hid.Read(stale.data(), static_cast<uint32_t>(stale.size()), &moved, settleMs) != 1) {
            break;
        }
        DebugOutput::Printf("dropped a waiting report of command 0x%02x", stale[3]);
    }
}

// Names this channel in the device lock file: the process and a number of its own.
uint64_t NewHolderId() {
    static std::atomic<uint32_t> next{1};
    return (static_cast<uint64_t>(getpid()) << 32) | next++;
}

}  // namespace

CommandChannel::CommandChannel() : holderId_(NewHolderId()) {}

void CommandChannel::SetMode(int mode) {
    if (mode == 2) {
        receiverMode_ = true;
        chunkSize_ = 24;
    } else {
        receiverMode_ = false;
        chunkSize_ = 56;
    }
}

int CommandChannel::SetBlockSize(uint32_t size) {
    if (size > kMaxBlockSize) {
        return 0;
    }
    blockSize_ = static_cast<uint16_t>(size);
    return 1;
}

void CommandChannel::SetTimeouts(uint32_t cableMs, uint32_t receiverMs) {
    cableTimeoutMs_ = cableMs;
    receiverTimeoutMs_ = receiverMs;
}

bool CommandChannel::OpenInterface(Path which, const std::string& path) {
    std::lock_guard lock(exchangeLock_);
    return (which == Path::kCable ? cable_ : receiver_).Open(path, true, true, true, false);
}

void CommandChannel::Abort() {
    connected_ = false;
    cable_.CancelTransfers();
    receiver_.CancelTransfers();
}

void CommandChannel::CloseInterface(Path which) {
    std::lock_guard lock(exchangeLock_);
    (which == Path::kCable ? cable_ : receiver_).Close();
}

std::optional<std::filesystem::path> CommandChannel::LockFileOfSelected() {
    // Worked out once per interface path, not per command: it makes folders.
    std::string path = Selected().path();
    std::lock_guard lock(lockFileMutex_);
    if (path != lockFileFor_) {
        lockFile_ = DeviceLockFile(path);
        lockFileFor_ = std::move(path);
    }
    return lockFile_;
}

bool CommandChannel::LockDevice(platform::FileLock& lock, uint32_t waitMs) {
    if (transactionOwner_.load() == std::this_thread::get_id()) {
        return true;  // this thread's transaction holds it
    }
    const auto file = LockFileOfSelected();
    if (!file) {
        return true;
    }
    // A command that may wait is counted while it does (the stream only ever tries).
    std::optional<BusyScope> waiting;
    if (waitMs > 0) {
        waiting.emplace(waitingCommands_);
    } else if (platform::FileLock::Awaited(*file)) {
        return false;  // a command of another program waits: it goes first
    }
    if (lock.Acquire(*file, waitMs)) {
        // Another holder's last answers may still be on their way to this handle (every
        // handle gets every report, one after the other): the next exchange waits for them.
        if (lock.SwapHolder(holderId_) != holderId_) {
            settle_ = true;
        }
        return true;
    }
    if (waitMs > 0) {
        DebugOutput::Printf("the device is busy in another program: %s", file->c_str());
    }
    return false;
}

int CommandChannel::ExchangeLocked(HidInterface& hid, bool viaReceiver, uint32_t timeoutMs,
                                   const CommandReport::Bytes& out, CommandReport::Bytes& in,
                                   uint32_t* moved) {
    DrainStale(hid, settle_.exchange(false) ? kSettleMs : 0);
    if (hid.Write(out.data(), static_cast<uint32_t>(out.size()), moved, timeoutMs) != 1) {
        return kResultWriteFailed;
    }
    // The answer may come late, behind answers of other commands: wait for it twice the
    // answer's time in all, dropping whatever else comes meanwhile.
    const uint64_t start = platform::MonotonicMs();
    const uint32_t budget = timeoutMs * 2;
    for (uint32_t left = budget; left > 0; left = platform::RemainingMs(budget, start)) {
        in.fill(0);
        if (hid.Read(in.data(), static_cast<uint32_t>(in.size()), moved, left) != 1) {
            if (hid.lastReadFailure() != HidInterface::Failure::kTimeout) {
                break;  // gone, closed or cancelled: no answer will come
            }
            continue;
        }
        if (in[3] == out[3]) {
            return kResultOk;
        }
        if (viaReceiver && in[3] == kCmdLinkCheck) {
            return kResultNotLinked;
        }
        DebugOutput::Printf("dropped an answer of command 0x%02x (waiting for 0x%02x)", in[3],
                            out[3]);
    }
    in.fill(0);
    *moved = 0;
    return kResultNone;
}

int CommandChannel::Exchange(std::span<const uint8_t> request, std::span<uint8_t> answer,
                             uint32_t* received) {
    const BusyScope busy(busy_);
    return ExchangeOn(Route::kSelected, request, answer, received);
}

int CommandChannel::ExchangeCable(std::span<const uint8_t> request, std::span<uint8_t> answer,
                                  uint32_t* received) {
    return ExchangeOn(Route::kCableQuiet, request, answer, received);
}

int CommandChannel::ExchangeOn(Route route, std::span<const uint8_t> request,
                               std::span<uint8_t> answer, uint32_t* received) {
    if (received != nullptr) {
        *received = 0;
    }
    if (!connected_) {
        return kResultNone;
    }
    const bool logged = route == Route::kSelected;
    CommandReport::Bytes out{};
    std::copy_n(request.begin(), std::min(request.size(), out.size()), out.begin());
    if (logged) {
        DebugReport("命令", out);
    }
    CommandReport::Bytes in{};
    uint32_t moved = 0;
    int result;
    {
        std::lock_guard lock(exchangeLock_);
        const bool viaReceiver = logged && receiverMode_;
        HidInterface& hid = viaReceiver ? receiver_ : cable_;
        const uint32_t timeout = viaReceiver ? receiverTimeoutMs_.load() : cableTimeoutMs_.load();
        result = ExchangeLocked(hid, viaReceiver, timeout, out, in, &moved);
    }
    if (result == kResultWriteFailed) {
        return result;
    }
    if (received != nullptr && result == kResultOk) {
        *received = moved;
    }
    std::copy_n(in.begin(), std::min(answer.size(), in.size()), answer.begin());
    if (logged) {
        DebugReport("返回", in);
    }
    return result;
}

int CommandChannel::StatusOf(const CommandReport::Bytes& answer) {
    if (answer[7] == CommandReport::kStatusError) {
        return kResultStatusError;
    }
    if (answer[7] == CommandReport::kStatusRefused) {
        return kResultStatusRefused;
    }
    return kResultOk;
}

CommandChannel::Transaction::Transaction(CommandChannel& channel)
    : channel_(channel), command_(channel.commandLock_) {
    if (!channel_.connected_) {
        return;  // nothing to hold: every command is refused at once
    }
    if (channel_.transactionOwner_.load() == std::this_thread::get_id()) {
        held_ = true;  // inside another transaction of this thread, which holds the device
        return;
    }
    held_ = channel_.LockDevice(channel_.transactionDevice_, kDeviceLockWaitMs);
    if (held_) {
        owner_ = true;
        channel_.transactionOwner_ = std::this_thread::get_id();
    }
}

CommandChannel::Transaction::~Transaction() {
    if (owner_) {
        channel_.transactionOwner_ = std::thread::id();
        channel_.transactionDevice_.Release();
    }
}

int CommandChannel::One(uint8_t command, uint16_t offset, std::span<const uint8_t> data,
                        std::span<uint8_t> readInto, Locking locking) {
    std::unique_lock lock(commandLock_, std::defer_lock);
    if (locking == Locking::kCommandLock) {
        lock.lock();
    }
    platform::FileLock device;
    if (!LockDevice(device, kDeviceLockWaitMs)) {
        return kResultNone;
    }
    return OneLocked(command, offset, data, readInto);
}

int CommandChannel::OneLocked(uint8_t command, uint16_t offset, std::span<const uint8_t> data,
                              std::span<uint8_t> readInto) {
    static constexpr uint8_t kNoData[CommandReport::kMaxData] = {};
    // A read request names how many bytes it wants; its data bytes stay 0.
    const std::span<const uint8_t> payload =
        readInto.empty()
            ? data
            : std::span<const uint8_t>(kNoData, std::min(readInto.size(), CommandReport::kMaxData));
    const CommandReport::Bytes request = CommandReport::Build(command, offset, payload);
    CommandReport::Bytes answer{};
    const int result = Exchange(request, answer, nullptr);
    if (result != kResultOk) {
        return result;
    }
    if (const int status = StatusOf(answer); status != kResultOk) {
        return status;
    }
    if (!readInto.empty()) {
        std::memcpy(readInto.data(), answer.data() + CommandReport::kDataOffset, payload.size());
    }
    return kResultOk;
}

int CommandChannel::Chunked(uint8_t command, uint16_t base, std::span<uint8_t> readInto,
                            std::span<const uint8_t> writeFrom, size_t chunk, Locking locking) {
    // The lock is held across all chunks, not per chunk: a command whose chunks interleaved
    // with another command's would leave the device with a mixed data area.
    std::unique_lock lock(commandLock_, std::defer_lock);
    if (locking == Locking::kCommandLock) {
        lock.lock();
    }
    const size_t length = readInto.empty() ? writeFrom.size() : readInto.size();
    platform::FileLock device;
    if (length > 0 && !LockDevice(device, kDeviceLockWaitMs)) {
        return kResultNone;
    }
    for (size_t position = 0; position < length; position += chunk) {
        const size_t n = std::min(chunk, length - position);
        const auto offset = static_cast<uint16_t>(base + position);
        const int result = readInto.empty()
                               ? OneLocked(command, offset, writeFrom.subspan(position, n), {})
                               : OneLocked(command, offset, {}, readInto.subspan(position, n));
        if (result != kResultOk) {
            return result;
        }
    }
    return kResultOk;
}

int CommandChannel::Begin() {
    return One(kCmdBegin, 0, {}, {}, Locking::kCommandLock);
}

int CommandChannel::End() {
    // The device needs a moment after the last write of a sequence.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return One(kCmdEnd, 0, {}, {}, Locking::kCommandLock);
}

int CommandChannel::ReadInfo(std::span<uint8_t, 32> info, uint16_t* version) {
    uint8_t block[34] = {};
    const int result = Chunked(kCmdReadInfo, 0, block, {}, chunkSize_, Locking::kCommandLock);
    std::memcpy(info.data(), block, 32);
    if (version != nullptr) {
        *version = static_cast<uint16_t>(block[32] | (block[33] << 8));
    }
    return result;
}

int CommandChannel::ReadSettings(uint16_t offset, std::span<uint8_t> data) {
    return Chunked(kCmdReadSettings, offset, data, {}, chunkSize_, Locking::kCommandLock);
}

int CommandChannel::WriteSettings(uint16_t offset, std::span<const uint8_t> data) {
    return Chunked(kCmdWriteSettings, offset, {}, data, chunkSize_, Locking::kCommandLock);
}

int CommandChannel::ReadBlock(std::span<uint8_t> data) {
    const size_t n = std::min<size_t>(data.size(), blockSize_);
    return Chunked(kCmdReadBlock, 0, data.first(n), {}, chunkSize_, Locking::kCommandLock);
}

int CommandChannel::WriteBlock(std::span<const uint8_t> data, int bank) {
    if (bank != 0) {
        return kResultBadBank;
    }
    const size_t n = std::min<size_t>(data.size(), blockSize_);
    return Chunked(kCmdWriteBlock, static_cast<uint16_t>(bank * 512), {}, data.first(n), chunkSize_,
                   Locking::kCommandLock);
}

int CommandChannel::WriteMask(uint8_t index, std::span<const uint8_t> data) {
    const auto offset = static_cast<uint16_t>(index * 3);
    return One(kCmdWriteMask, offset, data.first(std::min(data.size(), CommandReport::kMaxData)),
               {}, Locking::kCommandLock);
}

int CommandChannel::StreamLighting(std::span<const uint8_t> data) {
    const size_t chunk = chunkSize_;
    CommandReport::Bytes answer{};
    // The device lock is taken once for the frame, at its first chunk: other programs wait
    // for one frame at most, and a command of this program that waits for the lock makes
    // the rest of the frame give way.
    std::lock_guard stream(lightingLock_);
    platform::FileLock device;
    for (size_t position = 0; position < data.size(); position += chunk) {
        const size_t n = std::min(chunk, data.size() - position);
        // A command waiting for the device counts too: a stream that kept taking the device
        // back between its chunks would starve it.
        if (busy() || waitingCommands_.load() > 0) {
            DebugOutput::Write("放弃灯光数据");
            continue;  // a dropped chunk counts as sent: animation never waits for settings
        }
        if (receiverMode_) {
            continue;
        }
        const CommandReport::Bytes request = CommandReport::Build(
            kCmdLightingStream, static_cast<uint16_t>(position), data.subspan(position, n));
        if (!device.held() && !LockDevice(device, 0)) {
            // Another program is talking to the device: drop the chunk as when busy here.
            DebugOutput::Write("放弃灯光数据");
            continue;
        }
        const int result = ExchangeCable(request, answer, nullptr);
        if (result != kResultOk) {
            return result;
        }
        if (const int status = StatusOf(answer); status != kResultOk) {
            return status;
        }
    }
    return kResultOk;
}

int CommandChannel::WriteOutputReports(std::span<const std::span<const uint8_t>> reports,
                                       uint32_t timeoutMs) {
    if (!connected_ || !cable_.IsOpen()) {
        return kResultNone;
    }
    std::lock_guard command(commandLock_);
    platform::FileLock device;
    if (!LockDevice(device, 0)) {
        return kResultNone;  // another program is talking to the device: sent with the next
    }
    std::lock_guard exchange(exchangeLock_);
    for (const std::span<const uint8_t> report : reports) {
        uint32_t written = 0;
        if (cable_.Write(report.data(), static_cast<uint32_t>(report.size()), &written,
                         timeoutMs) != 1 ||
            written != report.size()) {
            return kResultWriteFailed;
        }
    }
    return kResultOk;
}

int CommandChannel::WriteMacros(std::span<const uint8_t> data) {
    return Chunked(kCmdWriteMacros, 0, {}, data, chunkSize_, Locking::kCommandLock);
}

int CommandChannel::WriteShoot(std::span<const uint8_t> data) {
    // Fixed 56-byte chunks whatever the path, and no command lock: the caller orders these.
    return Chunked(kCmdWriteShoot, 0, {}, data, CommandReport::kMaxData, Locking::kNoLock);
}

int CommandChannel::ReadStatus(uint16_t offset, std::span<uint8_t> data) {
    if (data.empty()) {
        return kResultOk;
    }
    return One(kCmdReadStatus, offset, {},
               data.first(std::min(data.size(), CommandReport::kMaxData)), Locking::kCommandLock);
}

int CommandChannel::ReadSlots(std::span<uint8_t> data) {
    const size_t n = std::min<size_t>(data.size(), blockSize_ / 3);
    return Chunked(kCmdReadSlots, 0, data.first(n), {}, chunkSize_, Locking::kCommandLock);
}

int CommandChannel::LightingControl() {
    return One(kCmdLightingControl, 0, {}, {}, Locking::kCommandLock);
}

int CommandChannel::CheckLink() {
    if (!receiverMode_) {
        return kResultOk;
    }
    const CommandReport::Bytes request = CommandReport::Build(kCmdLinkCheck, 0, {});
    CommandReport::Bytes answer{};
    int result;
    {
        std::lock_guard lock(commandLock_);
        platform::FileLock device;
        result = LockDevice(device, kDeviceLockWaitMs) ? Exchange(request, answer, nullptr)
                                                       : kResultNone;
    }
    return result == kResultOk && StatusOf(answer) == kResultOk &&
                   answer[CommandReport::kDataOffset] == 0xFF
               ? kResultOk
               : kResultNone;
}

}  // namespace marlo::hid
