#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "hook/InputEventTranslator.h"
#include "platform/WorkerThread.h"

namespace marlo::hook {

// The desktop's keyboards and mice, read from their event nodes while the outside hook is
// installed. A node is opened only when this user may read it (on most systems: a member of
// the "input" group); the nodes are never grabbed, so every input still reaches the desktop,
// and they are all closed again on Stop.
class CEvdevInput {
  public:
    using Sink = std::function<void(const OutsideInput&)>;

    explicit CEvdevInput(std::string directory = "/dev/input");
    ~CEvdevInput();
    CEvdevInput(const CEvdevInput&) = delete;
    CEvdevInput& operator=(const CEvdevInput&) = delete;

    // Opens every keyboard and mouse of the directory ("event…" nodes) and reads them on a
    // thread of its own, which hands each input to `sink`. Returns how many it opened; with
    // none, nothing runs.
    size_t Start(Sink sink);
    // Reads event streams that are open already (owned from now on) instead of the directory.
    size_t StartWith(std::vector<int> descriptors, Sink sink);
    // Ends the reading and closes every node.
    void Stop();
    bool running() const { return reader_.IsRunning(); }

  private:
    struct Node {
        int fd = -1;
        std::string pending;  // the start of an event whose rest has not been read yet
        CInputEventTranslator translator;
    };

    void Read(platform::Event& stop);
    // False when the node is gone (unplugged or closed).
    bool Drain(Node& node);
    void CloseAll();

    std::string directory_;
    Sink sink_;
    std::vector<Node> nodes_;  // touched by the reader only while it runs
    platform::WorkerThread reader_;
};

}  // namespace marlo::hook
