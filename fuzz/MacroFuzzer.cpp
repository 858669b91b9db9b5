// Any bytes as a macro index, a macro file or a profile list: the lists load, every event
// turns into a device record, and no file outside the folder is touched.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "profiles/MacroList.h"
#include "profiles/ProfileList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace marlo::profiles;
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("marlo-fuzz-macro-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const char* name : {"macro.config", "ProfileList.ini"}) {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    MacroList macros(folder);
    macros.LoadMacroList();
    for (int row = 0; row < static_cast<int>(macros.rows().size()) && row < 8; ++row) {
        const auto file = macros.MacroFile(row);
        if (!file.empty()) {
            std::ofstream(file, std::ios::binary)
                .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        }
        for (const MacroEvent& event : macros.LoadMacro(row)) {
            EventToDeviceRecord(event);
        }
    }
    ProfileList profiles(folder, folder / "missing-default.Json", 7);
    profiles.Load();
    profiles.GetProfilePathAt(profiles.selected());
    return 0;
}
