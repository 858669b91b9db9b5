#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "hid/CommandReport.h"
#include "hid/HidInterface.h"
#include "platform/FileLock.h"

namespace marlo::hid {

// A device's serialised access to its command collection, over its own cable interface or
// through its 2.4 GHz receiver. Every operation returns a result code (CommandReport.h).
//
// Locks, in the order they are taken:
//   1. the command lock (held for all the chunks of one command, so they stay together), or the
//      lighting lock (one lighting chunk);
//   2. the device lock: a file lock shared with the user's other programs (DeviceLockFile.h),
//      held for a command's chunks and for one lighting chunk, since every program with the
//      device open receives every answer;
//   3. the exchange lock: one request and its answer, from the write to the last read, and any
//      opening or closing of an interface, so an answer never goes to another exchange.
class CommandChannel {
  public:
    static constexpr uint16_t kMaxBlockSize = 512;
    static constexpr uint32_t kCableTimeoutMs = 1000;
    static constexpr uint32_t kReceiverTimeoutMs = 5000;

    // How long the first exchange after another holder had the device waits for the last of
    // that holder's answers to reach this handle.
    static constexpr uint32_t kSettleMs = 2;

    CommandChannel();
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    static constexpr uint32_t kDeviceLockWaitMs = 10000;

    enum class Path { kCable, kReceiver };

    HidInterface& cable() { return cable_; }
    HidInterface& receiver() { return receiver_; }
    // Opens (or reopens) one of the two interfaces for reading and writing, outside any
    // exchange: an exchange in progress finishes first. False when it cannot be opened.
    bool OpenInterface(Path which, const std::string& path);
    // Closes one of the two interfaces outside any exchange.
    void CloseInterface(Path which);

    void SetConnected(bool connected) { connected_ = connected; }
    // The device's work is over (the program ends, the device goes): the exchange under way
    // ends at once and every later command is refused at once, as on a closed channel, until
    // it is connected again.
    void Abort();
    bool connected() const { return connected_; }
    // True while at least one exchange is in progress.
    bool busy() const { return busy_.load() > 0; }

    // Mode 2 selects the receiver (chunks of 24 bytes); any other mode the cable (56).
    void SetMode(int mode);
    bool receiverMode() const { return receiverMode_; }
    uint8_t chunkSize() const { return chunkSize_; }
    // Sizes up to 512 are taken (1); larger ones are refused (0) and the size stays.
    int SetBlockSize(uint32_t size);
    uint16_t blockSize() const { return blockSize_; }
    // The waits of both paths (tests shorten them).
    void SetTimeouts(uint32_t cableMs, uint32_t receiverMs);

    // A run of commands that nothing may split, such as a Begin ... End sequence: from its
    // start until it goes it holds the command lock and the device lock, so neither another
    // thread of this program nor another program (nor the lighting stream) gets a command in
    // between. The commands of the channel made on the thread that opened it run inside it.
    // held() is false when another program kept the device past the device lock's wait: then
    // nothing is held and the commands made meanwhile wait for the device lock as usual.
    class Transaction {
      public:
        explicit Transaction(CommandChannel& channel);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        bool held() const { return held_; }

      private:
        CommandChannel& channel_;
        std::unique_lock<std::recursive_mutex> command_;
        bool held_ = false;
        bool owner_ = false;  // the outermost transaction of its thread
    };

    int Begin();                                                        // 0x01
    int End();                                                          // 0x02
    int ReadInfo(std::span<uint8_t, 32> info, uint16_t* version);       // 0x03
    int ReadSettings(uint16_t offset, std::span<uint8_t> data);         // 0x05
    int WriteSettings(uint16_t offset, std::span<const uint8_t> data);  // 0x06
    int ReadBlock(std::span<uint8_t> data);                             // 0x07
    int WriteBlock(std::span<const uint8_t> data, int bank);            // 0x09
    int WriteMask(uint8_t index, std::span<const uint8_t> data);        // 0x0B
    int StreamLighting(std::span<const uint8_t> data);                  // 0x12
    int WriteMacros(std::span<const uint8_t> data);                     // 0x15
    int WriteShoot(std::span<const uint8_t> data);                      // 0x17
    int ReadStatus(uint16_t offset, std::span<uint8_t> data);           // 0x1A
    int ReadSlots(std::span<uint8_t> data);                             // 0x1B
    int LightingControl();                                              // 0x1C
    int CheckLink();                                                    // 0xAA
    // Output reports the device takes without an answer (the headset's light reports), each
    // written whole on the cable in the order given, with the command lock and the device
    // lock held for them all: no command of this program (nor a transaction) and no other
    // program lands between them. Another program holding the device is not waited for: the
    // reports are not sent then. kResultOk when every report went through; each write waits
    // `timeoutMs` at most.
    int WriteOutputReports(std::span<const std::span<const uint8_t>> reports, uint32_t timeoutMs);

  private:
    // One full exchange: writes the request (padded or cut to 64 bytes) and reads its answer.
    // Reports already waiting are drained first; an answer of another command (a late answer of
    // an earlier request, the lighting stream's, or one meant for another program) is logged
    // and dropped, however many come, until the answer's time is up; when no answer of this
    // command came the result is 0 with a zeroed answer. In receiver mode an answer with code
    // 0xAA means the receiver did not reach the device. Callers hold the command lock (or the
    // lighting lock) and the device lock.
    int Exchange(std::span<const uint8_t> request, std::span<uint8_t> answer, uint32_t* received);
    // The lighting stream's exchange: cable only, no debug output, the busy state untouched;
    // otherwise it keeps the same rules, so it never takes another command's answer.
    int ExchangeCable(std::span<const uint8_t> request, std::span<uint8_t> answer,
                      uint32_t* received);

    enum class Locking { kCommandLock, kNoLock };
    // kSelected: the full exchange on the selected path, logged; kCableQuiet: the lighting
    // stream's, on the cable, without debug output.
    enum class Route { kSelected, kCableQuiet };

    int ExchangeOn(Route route, std::span<const uint8_t> request, std::span<uint8_t> answer,
                   uint32_t* received);
    // The device lock file of the selected interface's node (nothing without a runtime folder).
    std::optional<std::filesystem::path> LockFileOfSelected();

    // The write of one request and the reads of its answer, with the exchange lock held.
    int ExchangeLocked(HidInterface& hid, bool viaReceiver, uint32_t timeoutMs,
                       const CommandReport::Bytes& out, CommandReport::Bytes& in, uint32_t* moved);
    // Takes the device lock of the selected interface's node for the caller's scope; false
    // when another program holds it past the wait (or it cannot be made: then the
    // command goes on without it, as nothing else could take it either).
    bool LockDevice(platform::FileLock& lock, uint32_t waitMs);

    // One report: writes `data`, or reads `readInto.size()` bytes (at most 56) into
    // `readInto`; the answer's status turns into -102 or -103.
    int One(uint8_t command, uint16_t offset, std::span<const uint8_t> data,
            std::span<uint8_t> readInto, Locking locking);
    // One report, with the command lock already held (or not needed).
    int OneLocked(uint8_t command, uint16_t offset, std::span<const uint8_t> data,
                  std::span<uint8_t> readInto);
    // The common shape of a command: the data area (`readInto` for reads, `writeFrom` for
    // writes) in chunks of at most `chunk` bytes from offset `base`, all under one hold of
    // the command lock; the first failing chunk ends it. An empty area sends nothing.
    int Chunked(uint8_t command, uint16_t base, std::span<uint8_t> readInto,
                std::span<const uint8_t> writeFrom, size_t chunk, Locking locking);
    static int StatusOf(const CommandReport::Bytes& answer);
    HidInterface& Selected() { return receiverMode_ ? receiver_ : cable_; }
    uint32_t SelectedTimeout() const {
        return receiverMode_ ? receiverTimeoutMs_ : cableTimeoutMs_;
    }

    std::atomic<uint16_t> blockSize_{kMaxBlockSize};
    // The exchanges in progress: a count, since command 23 runs beside other commands.
    std::atomic<int> busy_{0};
    // Commands of this channel waiting for the device lock; the stream drops its chunks
    // while there are any.
    std::atomic<int> waitingCommands_{0};
    std::atomic<bool> connected_{false};
    HidInterface cable_;
    HidInterface receiver_;
    // 1st; recursive, so the commands of a transaction run inside it on its thread.
    std::recursive_mutex commandLock_;
    std::mutex lightingLock_;  // 1st, for a lighting chunk
    std::mutex exchangeLock_;  // 3rd (the device lock is 2nd)
    std::atomic<bool> receiverMode_{false};
    std::atomic<uint8_t> chunkSize_{24};
    std::atomic<uint32_t> cableTimeoutMs_{kCableTimeoutMs};
    const uint64_t holderId_;
    std::mutex lockFileMutex_;  // guards the two below; taken alone
    std::string lockFileFor_;
    std::optional<std::filesystem::path> lockFile_;
    std::atomic<bool> settle_{false};
    // The open transaction's device lock and thread (guarded by the command lock; the owner is
    // read without it, which only ever finds its own thread there or another).
    platform::FileLock transactionDevice_;
    std::atomic<std::thread::id> transactionOwner_{};
    std::atomic<uint32_t> receiverTimeoutMs_{kReceiverTimeoutMs};
};

}  // namespace marlo::hid
