#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace marlo::devices {

// The headset's chip library (SDK/osConfLib.so of the resource directory), loaded at run time:
// its entry points by name, the start-up sequence that finds the headset's two audio
// endpoints, and property reads and writes as decimal text. A missing or broken library, or
// one whose start-up fails, leaves every call failing; nothing here throws or crashes.
class CChipLibrary {
  public:
    // An audio endpoint as the library describes it (its ABI), and the feature flags it
    // reported (fields 0, 4 and 6 of "GetSupportFeature").
    struct Device {
        uint32_t id = 0;
        uint32_t type = 0;
        uint32_t card = 0;
        uint32_t active = 0;
    };
    struct Endpoint {
        Device device;
        std::array<int64_t, 3> features{};
    };
    static constexpr int64_t kVoiceEffectFeature = 0x20000;

    CChipLibrary();
    ~CChipLibrary();
    CChipLibrary(const CChipLibrary&) = delete;
    CChipLibrary& operator=(const CChipLibrary&) = delete;

    // Loads the library and resolves its entry points; false when it is missing or lacks one.
    bool Load(const std::filesystem::path& file);
    bool loaded() const { return handle_ != nullptr; }
    // Tells the library where to look and where to keep the chip's properties, initialises
    // it ("ConfLibInit called failed!" when that fails), lists the endpoints and chooses the
    // playback and capture ones. False when there is no endpoint to use.
    bool Start(const std::filesystem::path& root, const std::filesystem::path& storeFolder);
    // Why the last Load or Start failed, as a sentence that names the library and where it
    // was looked for.
    const std::string& failure() const { return failure_; }
    const std::optional<Endpoint>& playback() const { return playback_; }
    const std::optional<Endpoint>& capture() const { return capture_; }

    // 0 on success, as the library answers; -1 when it is not there. With the debug output on,
    // every call writes "PropertyControl <get|set> <name> <channel> <value text> -> <result>".
    int Get(const Endpoint& endpoint, const std::string& name, int channel, std::string& text);
    int Set(const Endpoint& endpoint, const std::string& name, int channel,
            const std::string& text);
    static constexpr double kMaxPropertyMagnitude = 1e6;
    // A read as a number; nothing when it fails, is not one, or lies beyond
    // ±kMaxPropertyMagnitude.
    std::optional<double> GetNumber(const Endpoint& endpoint, const std::string& name,
                                    int channel);

  private:
    struct Entries;
    std::optional<Endpoint> Choose(const std::array<uint32_t, 4>& types, bool activeOnly);
    void ReadFeatures(Endpoint& endpoint);
    int Property(const Endpoint& endpoint, const std::string& name, int channel,
                 std::string& text, bool set);

    void* handle_ = nullptr;
    std::unique_ptr<const Entries> entries_;
    std::optional<Endpoint> playback_;
    std::optional<Endpoint> capture_;
    std::string failure_;
};

}  // namespace marlo::devices
