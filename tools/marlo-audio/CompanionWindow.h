#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/EndpointRequest.h"
#include "platform/MessageEndpoint.h"

namespace marlo_audio {

// The companion's window as the program finds it ("Marlo GearAUDIORECORD", class "Marlo
// GearAudioRecord"): it takes the style colour the program sends (a copy-data block of kind 10,
// or the audio-colour message's red, green and blue one at a time) and keeps it for the bars.
class CompanionWindow {
  public:
    static constexpr const char* kTitle = "Marlo GearAUDIORECORD";
    static constexpr const char* kClass = "Marlo GearAudioRecord";
    static constexpr const char* kAudioColour = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

    ~CompanionWindow();
    // Registers the window; false when there is no private runtime folder or it cannot listen.
    bool Open();
    // The colour last sent, 0xRRGGBB; nothing until one came.
    std::optional<uint32_t> colour() const;
    // One request as the window takes it (also for tests): "" when taken, else why not.
    std::string Take(const marlo::platform::EndpointRequest& request);

  private:
    marlo::platform::MessageEndpoint endpoint_;
    std::filesystem::path socket_;
    std::atomic<uint32_t> colour_{0};
    std::atomic<bool> haveColour_{false};
};

}  // namespace marlo_audio
