#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hid/HidTypes.h"
#include "hid/NodeIdentityCache.h"
#include "hid/ReportDecoder.h"
#include "platform/Event.h"

namespace marlo::hid {

// One HID interface (a top-level collection of a hidraw node): the list of interface paths
// present, and one open interface with its identity, buffers and cancellable transfers.
//
// Threads: Read or Write may run on one thread while another calls Close or Open; that
// transfer then returns 0 at once. Reads and writes on one object are serialised by the
// caller. The accessors of the open interface return copies taken under the lock, so they may
// be called while another thread reopens it. The path list belongs to one thread (discovery).
class HidInterface {
  public:
    enum class Failure { kNone, kTimeout, kCancelled, kDisconnected, kNotOpen, kIoError };

    HidInterface();
    ~HidInterface();
    HidInterface(const HidInterface&) = delete;
    HidInterface& operator=(const HidInterface&) = delete;

    // The root under which nodes are found: $MARLO_HID_ROOT or "/", unless a program set it.
    static std::filesystem::path DefaultRoot();
    static void SetDefaultRoot(const std::filesystem::path& root);
    void SetRoot(const std::filesystem::path& root) { root_ = root; }
    const std::filesystem::path& root() const { return root_; }

    // Rebuilds the path list: one path per top-level collection of every node present, in
    // node order and then collection order; the cursor goes back to the start. A node that
    // vanishes while it is listed contributes nothing. False only when there is no listing
    // at all (the list is then empty).
    bool Enumerate();
    // The path under the cursor, advancing it; nothing at the end or with no list.
    std::optional<std::string> NextPath();
    void FreePaths();
    size_t pathCount() const { return paths_.size(); }
    size_t pathCapacity() const { return paths_.capacity(); }

    // Opens one interface path. hidraw has no share modes: the exclusive flag is kept as the
    // caller gave it but grants nothing more, since every opener of a node receives every
    // input report and this program serialises its own writes with the channel's locks.
    bool Open(const std::string& path, bool read, bool write, bool overlapped, bool exclusive);
    void Close();
    bool IsOpen() const;
    // Ends the transfers under way (they fail as cancelled) and returns once they have; the
    // interface stays open.
    void CancelTransfers();

    // One input report of this interface's collection into `buffer` (byte 0 the report ID,
    // 0 for a node without report IDs). 1 on success, else 0; `transferred` the bytes moved.
    // The timeout bounds the whole call, however many reports of other collections arrive;
    // 0 takes only what is already waiting.
    int Read(uint8_t* buffer, uint32_t length, uint32_t* transferred, uint32_t timeoutMs);
    // Waits until a report of any collection of the node is waiting, at most `timeoutMs`,
    // or until `stop` (a manual-reset event, when given) is set; false on timeout, cancel,
    // stop or failure (lastReadFailure says which: a stop is a cancel). Nothing is read.
    bool WaitForInput(uint32_t timeoutMs, platform::Event* stop = nullptr);
    // One output report from `buffer`, byte 0 the report ID. 1 on success, else 0.
    int Write(const uint8_t* buffer, uint32_t length, uint32_t* transferred, uint32_t timeoutMs);
    // How the last read, and the last write, on this object ended (kNone after a success).
    Failure lastReadFailure() const;
    Failure lastWriteFailure() const;

    // Decodes a received input report into the input data entries.
    bool DecodeInput(const uint8_t* report, uint32_t length);

    // Whether a path can still be opened: its node and its sysfs entry exist. Opens nothing.
    static bool IsPresent(const std::string& path);

    HidAttributes attributes() const;
    HidCapabilities capabilities() const;
    uint32_t interfaceNumber() const;
    uint32_t collectionNumber() const;
    std::string path() const;
    // A zero-filled buffer of the input report's length.
    std::vector<uint8_t> inputReport() const;
    std::vector<HidDataEntry> inputEntries() const;

  private:
    enum class Direction { kRead, kWrite };
    // Registers a transfer; false when the interface cannot do it now.
    bool BeginTransfer(Direction direction, int* fd);
    void EndTransfer(Direction direction, Failure failure);
    int Transfer(Direction direction, uint8_t* buffer, uint32_t length, uint32_t* transferred,
                 uint32_t timeoutMs);
    void CloseLocked(std::unique_lock<std::mutex>& lock);

    std::filesystem::path root_;
    std::vector<std::string> paths_;
    size_t cursor_ = 0;
    NodeIdentityCache nodeCache_;

    // Serialises Open and Close with each other; held across the blocking part of an open
    // (reading sysfs, connecting), which `mutex_` is not, so transfers and accessors on other
    // threads are never held up by it. Taken before `mutex_`.
    std::mutex openMutex_;

    // Guards everything below: the identity of the open interface, the handle and the transfer
    // bookkeeping.
    mutable std::mutex mutex_;
    bool readAccess_ = false;
    bool writeAccess_ = false;
    bool overlapped_ = false;
    bool exclusive_ = false;
    std::string path_;
    HidAttributes attributes_;
    HidCapabilities caps_;
    ReportDecoder decoder_;
    std::vector<uint8_t> reportBuffers_[kReportTypeCount];
    uint32_t interfaceNumber_ = 0;
    uint32_t collectionNumber_ = 0;
    std::condition_variable transfersDone_;
    int fd_ = -1;
    bool isSocket_ = false;
    bool usesReportIds_ = false;
    std::vector<uint8_t> inputReportIds_;
    int inFlight_ = 0;
    bool closing_ = false;
    Failure lastReadFailure_ = Failure::kNone;
    Failure lastWriteFailure_ = Failure::kNone;
    // Raised by Close and Open while a transfer is in flight; manual-reset, so that a read
    // and a write in flight together both see it. Cleared once they have returned.
    platform::Event cancel_{platform::Event::Reset::kManual};
};

}  // namespace marlo::hid
