#include "platform/RuntimeDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/DebugOutput.h"

namespace marlo::platform {

std::optional<std::filesystem::path> PrivateRuntimeDir() {
    std::filesystem::path dir;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        dir = std::filesystem::path(runtime) / "marlo-gear";
    } else if (runtime != nullptr && runtime[0] != '\0') {
        // A relative runtime folder is not one (the XDG rules say to treat it as invalid); it
        // is not replaced by a folder of the shared temporary folder either.
        DebugOutput::Printf("XDG_RUNTIME_DIR (%s) is not an absolute path: no runtime folder",
                            runtime);
        return std::nullopt;
    } else {
        dir = "/tmp/marlo-gear-" + std::to_string(getuid());
    }
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        DebugOutput::Printf("cannot make %s", dir.c_str());
        return std::nullopt;
    }
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 077) != 0) {
        // Another user's folder, or one others can reach: not a place for our socket.
        DebugOutput::Printf("%s is not a private folder of this user", dir.c_str());
        return std::nullopt;
    }
    return dir;
}

}  // namespace marlo::platform
