#pragma once

#include <json/value.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Event.h"
#include "platform/WorkerThread.h"
#include "platform/FileLock.h"
#include "sim/SimDevice.h"

namespace marlo::sim {

// Faults the server can put on a device's answers.
enum class Fault { kNone, kNoAnswer, kWrongCode, kStatusFF, kStatusFE, kLate };

// Serves emulated devices under a root as hidraw nodes do:
//   <root>/sys/class/hidraw/<node>/device/{uevent,report_descriptor}
//   <root>/dev/<node>  a Unix seqpacket socket: one connection is one open handle, one
//                      datagram one report (byte 0 the report ID), every connection receives
//                      every input report.
// Unplugging removes the socket and the sysfs folder and closes the connections. All socket
// work happens on the server's own thread; the public calls may come from any thread.
class SimServer {
  public:
    struct Options {
        // One report per millisecond each way, as a full-speed USB interrupt endpoint.
        bool usbTiming = false;
        // How long a "late" answer is held back: longer than the host's cable timeout.
        uint32_t lateAnswerMs = 1200;
    };

    explicit SimServer(std::filesystem::path root);
    SimServer(std::filesystem::path root, Options options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    const std::filesystem::path& root() const { return root_; }

    // Plugs a device under a name; returns its node name ("hidraw<N>", the lowest free N),
    // or nothing when the name is taken or the node cannot be made.
    std::optional<std::string> Plug(const std::string& name, std::unique_ptr<SimDevice> device);
    bool Unplug(const std::string& name);
    std::vector<std::string> Names();
    std::optional<std::string> NodeOf(const std::string& name);

    // Sends an input report, or the report of a device event, to every open handle.
    bool SendInput(const std::string& name, const Report& report);
    bool InjectEvent(const std::string& name, uint16_t code);
    // Puts a fault on the next `count` answers of a device (0: until cleared with kNone).
    bool SetFault(const std::string& name, Fault fault, uint32_t count = 0);
    // The device takes nothing written to it for `ms` (its handles' writes pile up and wait, as
    // on a device busy with a slow transfer); what was written is then taken in order.
    bool Stall(const std::string& name, uint32_t ms);
    // Holds the device's lock, as another program talking to it would, for `ms`.
    bool HoldLock(const std::string& name, uint32_t ms);

    // The device's state with the node's own facts added; nothing for an unknown name.
    std::optional<Json::Value> Dump(const std::string& name);
    // Runs `fn` with the device on the server thread (for tests reaching into a device).
    bool WithDevice(const std::string& name, const std::function<void(SimDevice&)>& fn);

    static std::optional<Fault> ParseFault(const std::string& text);

  private:
    struct Node;
    struct Pending {
        uint64_t dueUs;  // on the monotonic clock
        uint64_t sequence;
        std::function<void()> action;
    };

    void Run(platform::Event& stop);
    // Runs `fn` on the server thread and waits for it; false (without running it) when the
    // server thread has ended, so no caller ever waits for a thread that is gone.
    bool Call(const std::function<void()>& fn);
    // Runs (or, at the end of the server thread, refuses) the queued calls.
    void RunCalls(bool run);
    void Schedule(uint64_t dueUs, std::function<void()> action);
    void Accept(Node& node);
    void Receive(Node& node, int fd);
    void Deliver(Node& node, const Report& report);
    void HandleOutputNow(const std::string& name, const Report& report);
    void SendAnswers(const std::string& name, std::vector<Report> answers, uint64_t readyUs);
    void RemoveNode(Node& node);
    bool MakeSysfs(const std::string& node, const SimDeviceInfo& info);

    std::filesystem::path root_;
    Options options_;
    platform::WorkerThread worker_;

    // Calls queued for the server thread.
    std::mutex callsMutex_;
    struct QueuedCall {
        const std::function<void()>* fn;
        std::shared_ptr<std::promise<bool>> done;
    };
    std::vector<QueuedCall> calls_;
    bool serving_ = true;  // until the server thread ends
    platform::Event wake_{platform::Event::Reset::kAuto};

    // Owned by the server thread.
    std::map<std::string, std::unique_ptr<Node>> nodes_;
    std::vector<Pending> pending_;
    std::atomic<std::thread::id> serverThread_;
    uint64_t sequence_ = 0;
};

}  // namespace marlo::sim
