#include "devices/ChipLibrary.h"

#include <dlfcn.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/DebugOutput.h"

namespace marlo::devices {
namespace {

using platform::DebugOutput;
using Device = CChipLibrary::Device;

constexpr size_t kTextSize = 1024;

using SetPathsFn = int (*)(const char*, const char*);
using InitFn = int (*)();
using UnInitFn = void (*)();
using CreateListFn = void (*)();
using CountFn = int (*)(int, int*);
using ByIdFn = int (*)(int, Device*);
using PropertyFn = int (*)(Device, const char*, char*, size_t, int, int);
using CallbackFn = int (*)(void (*)(int, void*), void*);
using PanelFn = int (*)();
using SoundFn = int (*)(Device);

}  // namespace

struct CChipLibrary::Entries {
    SetPathsFn setPaths = nullptr;
    InitFn init = nullptr;
    ByIdFn byId = nullptr;
    PropertyFn property = nullptr;
    CallbackFn registerCallback = nullptr;
    CountFn count = nullptr;
    CreateListFn createList = nullptr;
    UnInitFn unInit = nullptr;
    PanelFn showAsioPanel = nullptr;
    SoundFn playTestSound = nullptr;
    SoundFn stopTestSound = nullptr;
    SoundFn closeTestSound = nullptr;
};

CChipLibrary::CChipLibrary() = default;

CChipLibrary::~CChipLibrary() {
    if (handle_ != nullptr) {
        entries_->unInit();
        entries_.reset();
        dlclose(handle_);
    }
}

bool CChipLibrary::Load(const std::filesystem::path& file) {
    if (handle_ != nullptr) {
        return true;
    }
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        failure_ = "the chip library " + file.string() + " cannot be loaded (" +
                   (why != nullptr ? why : "unknown error") + ")";
        if (!std::filesystem::exists(file)) {
            failure_ = "the chip library " + file.filename().string() + " is not in " +
                       file.parent_path().string();
        }
        DebugOutput::Printf("the chip library cannot be loaded: %s", why != nullptr ? why : "");
        return false;
    }
    auto entries = std::make_unique<Entries>();
    bool complete = true;
    const auto resolve = [&](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(handle, name));
        if (slot == nullptr) {
            DebugOutput::Printf("the chip library has no %s", name);
            failure_ = "the chip library " + file.string() + " has no " + name;
            complete = false;
        }
    };
    resolve(entries->init, "ConfLibInit");
    resolve(entries->byId, "GetDeviceById");
    resolve(entries->property, "PropertyControl");
    resolve(entries->registerCallback, "RegisterCallbackFunction");
    resolve(entries->count, "GetDeviceCount");
    resolve(entries->createList, "CreateDeviceList");
    resolve(entries->unInit, "ConfLibUnInit");
    resolve(entries->showAsioPanel, "ShowAsioPanel");
    resolve(entries->playTestSound, "PlayTestSound");
    resolve(entries->stopTestSound, "StopTestSound");
    resolve(entries->closeTestSound, "CloseTestSound");
    resolve(entries->setPaths, "ConfLibSetPaths");
    if (!complete) {
        dlclose(handle);
        return false;
    }
    handle_ = handle;
    entries_ = std::move(entries);
    return true;
}

bool CChipLibrary::Start(const std::filesystem::path& root,
                         const std::filesystem::path& storeFolder) {
    playback_.reset();
    capture_.reset();
    if (entries_ == nullptr) {
        return false;
    }
    entries_->setPaths(root.c_str(), storeFolder.c_str());
    if (entries_->init() != 0) {
        DebugOutput::Write("ConfLibInit called failed!");
        failure_ = "the chip library could not start (its store: " + storeFolder.string() + ")";
        return false;
    }
    entries_->createList();
    int count = 0;
    if (entries_->count(0, &count) != 0 || count <= 0) {
        failure_ = "the chip library finds no sound card of the headset";
        return false;
    }
    // Headphones first, then the other playback kinds; the capture endpoint is the microphone.
    playback_ = Choose({1, 12, 7, 4}, true);
    capture_ = Choose({2, 0, 0, 0}, false);
    for (std::optional<Endpoint>* endpoint : {&playback_, &capture_}) {
        if (*endpoint) {
            ReadFeatures(**endpoint);
        }
    }
    if (!playback_ && !capture_) {
        failure_ = "the headset's sound card has no endpoint to use";
        return false;
    }
    return true;
}

std::optional<CChipLibrary::Endpoint> CChipLibrary::Choose(const std::array<uint32_t, 4>& types,
                                                           bool activeOnly) {
    int playback = 0;
    int captureCount = 0;
    entries_->count(0, &playback);
    entries_->count(1, &captureCount);
    const int total = std::max(0, playback) + std::max(0, captureCount);
    for (const uint32_t type : types) {
        if (type == 0) {
            continue;
        }
        for (int i = 0; i < total; ++i) {
            Device device;
            if (entries_->byId(i, &device) == 0 && device.type == type &&
                (!activeOnly || device.active == 1)) {
                return Endpoint{device, {}};
            }
        }
    }
    return std::nullopt;
}

void CChipLibrary::ReadFeatures(Endpoint& endpoint) {
    std::string text;
    if (Get(endpoint, "GetSupportFeature", 0, text) != 0) {
        return;
    }
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (fields.size() < 7) {
        DebugOutput::Write("UpdateAPOAvailable failed!");
        return;
    }
    const std::array<size_t, 3> kept = {0, 4, 6};
    for (size_t i = 0; i < kept.size(); ++i) {
        endpoint.features[i] = std::strtoll(fields[kept[i]].c_str(), nullptr, 0);
    }
}

int CChipLibrary::Property(const Endpoint& endpoint, const std::string& name, int channel,
                           std::string& text, bool set) {
    int result = -1;
    if (entries_ != nullptr) {
        std::vector<char> buffer(kTextSize, '\0');
        if (set) {
            std::strncpy(buffer.data(), text.c_str(), kTextSize - 1);
        }
        result = entries_->property(endpoint.device, name.c_str(), buffer.data(), kTextSize,
                                    channel, set ? 1 : 0);
        if (!set) {
            buffer.back() = '\0';
            text = result == 0 ? std::string(buffer.data()) : std::string();
        }
    }
    if (DebugOutput::Active()) {
        DebugOutput::Printf("PropertyControl %s %s %d %s -> %d", set ? "set" : "get",
                            name.c_str(), channel, text.c_str(), result);
    }
    return result;
}

int CChipLibrary::Get(const Endpoint& endpoint, const std::string& name, int channel,
                      std::string& text) {
    return Property(endpoint, name, channel, text, false);
}

int CChipLibrary::Set(const Endpoint& endpoint, const std::string& name, int channel,
                      const std::string& text) {
    std::string value = text;
    return Property(endpoint, name, channel, value, true);
}

std::optional<double> CChipLibrary::GetNumber(const Endpoint& endpoint, const std::string& name,
                                              int channel) {
    std::string text;
    if (Get(endpoint, name, channel, text) != 0) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    // The library's answer is outside input: a number beyond any of the chip's properties is
    // no reading (and would overflow every conversion to an integer).
    if (end == text.c_str() || errno == ERANGE || !std::isfinite(value) ||
        std::fabs(value) > kMaxPropertyMagnitude) {
        return std::nullopt;
    }
    return value;
}

}  // namespace marlo::devices
