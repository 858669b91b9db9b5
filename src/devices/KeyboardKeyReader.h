#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hid/HidInterface.h"
#include "platform/WorkerThread.h"

namespace marlo::devices {

// The keys a person presses, read from the keyboard's own keyboard interface (interface 0,
// the boot keyboard reports) so that the reactive lighting modes can light them. It only
// reads: the desktop gets every key as before, and nothing is grabbed. Without the interface
// (behind the receiver, or no access to it) the reactive modes simply see no presses.
class KeyboardKeyReader {
  public:
    using PressHandler = std::function<void(int position)>;

    ~KeyboardKeyReader() { Stop(); }

    // The keyboard interface that belongs with a command interface path: interface 0 of the
    // same vendor and product, under the same root.
    static std::optional<std::string> FindKeyInterface(const std::string& commandPath);
    // Opens `path` and reads it on a thread of its own, calling `onPress` (on that thread)
    // with the key position of every key that goes down. False when it cannot be opened.
    bool Start(const std::string& path, PressHandler onPress);
    // Stops the thread and closes the interface.
    void Stop();
    bool running() const { return thread_.IsRunning(); }

    // The key positions newly down in a boot keyboard report (modifier byte, a reserved byte,
    // six key usages) since the previous one.
    static std::vector<int> NewlyPressed(std::span<const uint8_t> previous,
                                         std::span<const uint8_t> report);

  private:
    void Run(platform::Event& stop);

    hid::HidInterface hid_;
    PressHandler onPress_;
    platform::WorkerThread thread_;
};

}  // namespace marlo::devices
