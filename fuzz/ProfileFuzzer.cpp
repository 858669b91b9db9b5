// Any bytes as a profile file: loading it and every getter and setter of every device kind
// neither crash nor read out of bounds, and saving writes a document that loads again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/Hs6533Profiledata.h"
#include "profiles/KeyboardProfiledata.h"
#include "profiles/MouseProfiledata.h"

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        auto f = std::filesystem::temp_directory_path() /
                 ("marlo-fuzz-profile-" + std::to_string(getpid()));
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

void Put(const std::filesystem::path& file, const uint8_t* data, size_t size) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

template <typename T>
T& Load(T& data, const uint8_t* bytes, size_t size) {
    const auto file = Folder() / "p.Json";
    Put(file, bytes, size);
    data.SetDefaultProfilePath(Folder() / "missing-default.Json");
    data.SetProfilePath(file);
    data.LoadProfile(file);
    data.GetLightInfo();
    data.GetAudioLightInfo();
    data.GetLightList();
    data.SetKeyList(data.GetKeyList());
    data.LoadLightConfig(file);
    data.GetLightEffectSteps();
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlo::profiles;
    CKeyboardProfiledata keyboard;
    Load(keyboard, data, size);
    keyboard.SetKeyboardSystemStages(keyboard.GetKeyboardSystemStages());
    const int group = keyboard.GetCustomLightGroup();
    keyboard.SetCustomLightColors(keyboard.GetCustomLightColors(group, 8), group);
    keyboard.SaveProfile();

    CMouseProfiledata mouse;
    Load(mouse, data, size);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.SetMouseSystemStages(mouse.GetMouseSystemStages());
    mouse.GetCorrectEntries();

    CHs6533Profiledata headset;
    Load(headset, data, size);
    const auto stages = headset.GetHeadsetSystemSetStages();
    headset.SetEqValues(stages.eqType, headset.GetEqValues(stages.eqType));
    headset.SetCustomEqValues(stages.customEqSelectIndex,
                              headset.GetCustomEqValues(stages.customEqSelectIndex));
    headset.SetCustomEqNames(headset.GetCustomEqNames());
    headset.SaveProfile();
    return 0;
}
