#include "chip/ChipSession.h"

#include "platform/AtomicFile.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "chip/AlsaChipMixer.h"
#include "chip/StoredChipMixer.h"

namespace marlo::chip {
namespace {

constexpr uint32_t kHeadphones = 1;
constexpr uint32_t kMicrophone = 2;

// The effect properties the chip keeps, by name.
constexpr std::array<std::string_view, 25> kStoredProperties = {
    "Enable_EQ_GFX",       "EQ_Slider1",         "EQ_Slider2",
    "EQ_Slider3",          "EQ_Slider4",         "EQ_Slider5",
    "EQ_Slider6",          "EQ_Slider7",         "EQ_Slider8",
    "EQ_Slider9",          "EQ_Slider10",        "Enable_RFX_GFX",
    "RFX_ENVIRONMENT",     "RFX_ROOMSIZE",       "Enable_MAGICVOICE",
    "MagicVoice_Selection", "Enable_MICECHO",    "XearSurrHP_Enable",
    "XearSurrHP_Room",     "XearSurrHP_Mode",    "VirtualSurroundEffectControl",
    "Enable_ENC_LFX",      "ENC_SELFCALIB",      "SPDIF_Enable",
    "Enable_AGC"};

// The first line of a small entry of the card's folder; nothing from anything that is not a
// regular file of at most a few bytes (a link to a device or a FIFO is not read).
std::string FirstLine(const std::filesystem::path& file) {
    const auto text = platform::ReadWholeFile(file, 256);
    if (!text) {
        return {};
    }
    return text->substr(0, std::min<size_t>(text->find('\n'), 64));
}

// The largest magnitude of any property the chip keeps (its gains, levels and switches are
// small numbers): anything beyond is not a value of the chip.
constexpr double kMaxMagnitude = 1e6;

// A decimal number within the chip's magnitude and nothing else (blanks around it allowed).
std::optional<double> Number(const std::string& text) {
    if (text.empty() || text.size() > 64) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    while (end != nullptr && (*end == ' ' || *end == '\t')) {
        ++end;
    }
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(value) ||
        std::fabs(value) > kMaxMagnitude) {
        return std::nullopt;
    }
    return value;
}

std::string Fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

}  // namespace

void ChipSession::SetPaths(std::filesystem::path root, std::filesystem::path storeFolder) {
    root_ = root.empty() ? std::filesystem::path("/") : std::move(root);
    storeFolder_ = std::move(storeFolder);
}

int ChipSession::Init() {
    if (storeFolder_.empty()) {
        return 0;
    }
    std::error_code error;
    std::filesystem::create_directories(storeFolder_, error);
    return std::filesystem::is_directory(storeFolder_, error) &&
                   access(storeFolder_.c_str(), W_OK) == 0
               ? 0
               : -1;
}

void ChipSession::Clear() {
    devices_.clear();
    mixer_.reset();
    store_.reset();
}

void ChipSession::CreateDeviceList() {
    Clear();
    const std::filesystem::path asound = root_ / "proc" / "asound";
    std::error_code error;
    std::vector<int> cards;
    for (const auto& entry : std::filesystem::directory_iterator(asound, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("card", 0) != 0 || name.size() > 8 ||
            name.find_first_not_of("0123456789", 4) != std::string::npos || name.size() == 4) {
            continue;
        }
        if (FirstLine(entry.path() / "usbid") == kUsbId) {
            cards.push_back(std::stoi(name.substr(4)));
        }
    }
    if (cards.empty()) {
        return;
    }
    const int card = *std::min_element(cards.begin(), cards.end());
    std::string id = FirstLine(asound / ("card" + std::to_string(card)) / "id");
    std::replace_if(
        id.begin(), id.end(),
        [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '-'; },
        '_');
    store_ = std::make_unique<ChipPropertyStore>(
        storeFolder_.empty() ? std::filesystem::path()
                             : storeFolder_ / ("card-" + (id.empty() ? "headset" : id) + ".json"));
    // The machine's own card is its mixer; a card under another root (the simulator's) keeps
    // its volumes with its properties.
    if (std::filesystem::equivalent(root_, "/", error)) {
        mixer_ = std::make_unique<AlsaChipMixer>(card);
    } else {
        mixer_ = std::make_unique<StoredChipMixer>(*store_);
    }
    const auto c = static_cast<uint32_t>(card);
    devices_ = {ConfDevice{0, kHeadphones, c, 1}, ConfDevice{1, kMicrophone, c, 1}};
}

int ChipSession::DeviceCount(int flow) const {
    const uint32_t type = flow == kConfCapture ? kMicrophone : kHeadphones;
    return static_cast<int>(std::count_if(devices_.begin(), devices_.end(),
                                          [type](const ConfDevice& d) { return d.type == type; }));
}

std::optional<ConfDevice> ChipSession::DeviceAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= devices_.size()) {
        return std::nullopt;
    }
    return devices_[static_cast<size_t>(index)];
}

bool ChipSession::IsEndpoint(const ConfDevice& device) const {
    return std::any_of(devices_.begin(), devices_.end(), [&device](const ConfDevice& d) {
        return d.id == device.id && d.type == device.type && d.card == device.card;
    });
}

int ChipSession::Feature(const ConfDevice& device, std::string& text) const {
    // Seven fields: field 0 the effects the endpoint has (0x20000 the voice effects), field 4
    // the equaliser's bands, field 6 the chip's interface version. A card's store may name
    // other features (a headset model without voice effects): "SupportFeature/<type>".
    const auto kept = store_ != nullptr
                          ? store_->Get("SupportFeature", static_cast<int>(device.type))
                          : std::nullopt;
    if (kept) {
        text = *kept;
        return 0;
    }
    text = device.type == kMicrophone ? "196608,0,0,0,0,0,1" : "15,0,0,0,10,0,1";
    return 0;
}

int ChipSession::Volume(IChipMixer::Control control, const std::string& what,
                        std::string& text, bool set) {
    if (mixer_ == nullptr) {
        return -1;
    }
    if (what == "Max" || what == "Min" || what == "Step") {
        const auto range = mixer_->GainRange(control);
        if (set || !range) {
            return -1;
        }
        text = Fixed(what == "Max" ? range->maxDb : what == "Min" ? range->minDb : range->stepDb);
        return 0;
    }
    if (set) {
        const auto value = Number(text);
        if (!value) {
            return -1;
        }
        const bool done = what == "Volume"  ? mixer_->SetGain(control, *value)
                          : what == "Scalar" ? mixer_->SetLevel(control, *value)
                                             : mixer_->SetMuted(control, *value != 0);
        return done ? 0 : -1;
    }
    if (what == "Mute") {
        const auto muted = mixer_->Muted(control);
        text = muted ? (*muted ? "1" : "0") : "";
        return muted ? 0 : -1;
    }
    const auto value = what == "Volume" ? mixer_->Gain(control) : mixer_->Level(control);
    text = value ? Fixed(*value) : "";
    return value ? 0 : -1;
}

int ChipSession::Property(const ConfDevice& device, const std::string& name, std::string& text,
                          int channel, bool set) {
    if (!IsEndpoint(device)) {
        return -1;
    }
    if (name == "GetSupportFeature") {
        return set ? -1 : Feature(device, text);
    }
    // The microphone's volume and the monitor's ("AA": the analogue loop to the headphones).
    struct VolumeName {
        std::string_view name;
        IChipMixer::Control control;
        const char* what;
    };
    static constexpr VolumeName kVolumes[] = {
        {"GetMaxVol", IChipMixer::Control::kMicrophone, "Max"},
        {"GetMinVol", IChipMixer::Control::kMicrophone, "Min"},
        {"GetVolStep", IChipMixer::Control::kMicrophone, "Step"},
        {"VolumeControl", IChipMixer::Control::kMicrophone, "Volume"},
        {"VolumeScalarControl", IChipMixer::Control::kMicrophone, "Scalar"},
        {"MuteControl", IChipMixer::Control::kMicrophone, "Mute"},
        {"GetAAMaxVol", IChipMixer::Control::kMonitor, "Max"},
        {"GetAAMinVol", IChipMixer::Control::kMonitor, "Min"},
        {"GetAAVolStep", IChipMixer::Control::kMonitor, "Step"},
        {"AAVolumeControl", IChipMixer::Control::kMonitor, "Volume"},
        {"AAVolumeScalarControl", IChipMixer::Control::kMonitor, "Scalar"},
        {"AAMuteControl", IChipMixer::Control::kMonitor, "Mute"},
    };
    for (const VolumeName& volume : kVolumes) {
        if (volume.name == name) {
            return Volume(volume.control, volume.what, text, set);
        }
    }
    if (std::find(kStoredProperties.begin(), kStoredProperties.end(), name) ==
            kStoredProperties.end() ||
        store_ == nullptr) {
        return -1;
    }
    if (set) {
        return Number(text) && store_->Set(name, channel, text) ? 0 : -1;
    }
    // What the store file holds is read as hostile: only a number of the chip's range.
    const auto value = store_->Get(name, channel);
    if (!value || !Number(*value)) {
        text.clear();
        return -1;
    }
    text = *value;
    return 0;
}

}  // namespace marlo::chip
