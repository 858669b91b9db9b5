#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chip/ChipMixer.h"
#include "chip/ChipPropertyStore.h"
#include "chip/ConfLib.h"

namespace marlo::chip {

// What the chip library knows between its calls: where to look, the headset's sound card and
// its two endpoints, the card's properties and its volumes.
class ChipSession {
  public:
    static constexpr const char* kUsbId = "0c76:1630";

    void SetPaths(std::filesystem::path root, std::filesystem::path storeFolder);
    // 0 when the library can work: its store folder, when it has one, exists (it is made)
    // and can be written; -1 when not.
    int Init();
    // Finds the first card with the headset's USB id; no card, no endpoints.
    void CreateDeviceList();
    int DeviceCount(int flow) const;
    std::optional<ConfDevice> DeviceAt(int index) const;
    // Reads into `text` or writes from it; 0 on success, -1 when the property is unknown, the
    // value is not a number, or the card does not answer.
    int Property(const ConfDevice& device, const std::string& name, std::string& text,
                 int channel, bool set);
    void Clear();

  private:
    int Feature(const ConfDevice& device, std::string& text) const;
    int Volume(IChipMixer::Control control, const std::string& what, std::string& text,
               bool set);
    bool IsEndpoint(const ConfDevice& device) const;

    std::filesystem::path root_ = "/";
    std::filesystem::path storeFolder_;
    std::vector<ConfDevice> devices_;
    std::unique_ptr<ChipPropertyStore> store_;
    std::unique_ptr<IChipMixer> mixer_;
};

}  // namespace marlo::chip
