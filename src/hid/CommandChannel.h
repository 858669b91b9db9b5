#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "hid/CommandReport.h"
#include "hid/HidInterface.h"

namespace marlo::hid {

// A device's serialised access to its command collection, over its own cable interface or
// through its 2.4 GHz receiver. Every operation returns a result code (CommandReport.h).
//
// Locks, in the order they are taken when both are held: the command lock (held for all the
// chunks of one command, so they stay together), then the exchange lock (pairs a request with its
// answer and keeps interface reopening out of an exchange). The lighting lock guards one lighting
// chunk.
class CommandChannel {
  public:
    static constexpr uint16_t kMaxBlockSize = 512;
    static constexpr uint32_t kCableTimeoutMs = 1000;
    static constexpr uint32_t kReceiverTimeoutMs = 5000;

    CommandChannel() = default;
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    HidInterface& cable() { return cable_; }
    HidInterface& receiver() { return receiver_; }
    // Held by the attachment logic while it opens or reopens an interface.
    std::mutex& exchangeLock() { return exchangeLock_; }

    void SetConnected(bool connected) { connected_ = connected; }
    bool connected() const { return connected_; }
    void SetHold(bool hold) { hold_ = hold; }
    bool hold() const { return hold_; }
    bool busy() const { return busy_ != 0; }

    // Mode 2 selects the receiver (chunks of 24 bytes); any other mode the cable (56).
    void SetMode(int mode);
    bool receiverMode() const { return receiverMode_; }
    uint8_t chunkSize() const { return chunkSize_; }
    // Sizes up to 512 are taken (1); larger ones are refused (0) and the size stays.
    int SetBlockSize(uint32_t size);
    uint16_t blockSize() const { return blockSize_; }
    // The waits of both paths (tests shorten them).
    void SetTimeouts(uint32_t cableMs, uint32_t receiverMs);

    // One full exchange: writes the request (padded or cut to 64 bytes) and reads the answer,
    // skipping one answer of another command; in receiver mode an answer with code 0xAA means
    // the receiver did not reach the device.
    int Exchange(std::span<const uint8_t> request, std::span<uint8_t> answer, uint32_t* received);
    // The lighting stream's reduced exchange: cable only, one read, no matching.
    int ExchangeCable(std::span<const uint8_t> request, std::span<uint8_t> answer,
                      uint32_t* received);

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
    int ReadStatus(uint8_t offset, std::span<uint8_t> data);            // 0x1A
    int ReadSlots(std::span<uint8_t> data);                             // 0x1B
    int LightingControl();                                              // 0x1C
    int CheckLink();                                                    // 0xAA

  private:
    enum class Locking { kCommandLock, kNoLock };

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
    // A plain flag read without a lock: it only steers the dropping of lighting chunks.
    std::atomic<uint8_t> busy_{0};
    std::atomic<bool> connected_{false};
    std::atomic<bool> hold_{false};
    HidInterface cable_;
    HidInterface receiver_;
    std::mutex commandLock_;   // 1st
    std::mutex exchangeLock_;  // 2nd
    std::mutex lightingLock_;
    std::atomic<bool> receiverMode_{false};
    std::atomic<uint8_t> chunkSize_{24};
    std::atomic<uint32_t> cableTimeoutMs_{kCableTimeoutMs};
    std::atomic<uint32_t> receiverTimeoutMs_{kReceiverTimeoutMs};
};

}  // namespace marlo::hid
