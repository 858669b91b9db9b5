#include "devices/DevicePlaces.h"

#include "platform/Paths.h"
#include "profiles/ProfileList.h"

namespace marlo::devices {

DevicePlaces DevicePlaces::Standard(const std::string& name, int profileKind) {
    const auto defaultProfile = [name] {
        return platform::Paths::DefaultDataDir() / (name + ".Json");
    };
    const auto userFolder = [name] { return platform::Paths::UserDataFolder(name); };
    return DevicePlaces{userFolder, defaultProfile, [userFolder, defaultProfile, profileKind] {
                            profiles::ProfileList list(userFolder(), defaultProfile(), profileKind);
                            list.Load();
                            const auto path = list.GetProfilePathAt(list.selected());
                            return path.empty() ? defaultProfile() : path;
                        }};
}

}  // namespace marlo::devices
