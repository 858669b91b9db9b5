#include "platform/OtherWindows.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/JsonDocument.h"
#include "platform/MessageEndpoint.h"
#include "platform/RuntimeDir.h"
#include "platform/StableHash.h"

namespace marlo::platform {
namespace {

constexpr const char* kSocketExtension = ".sock";
constexpr const char* kDescriptionExtension = ".window";
constexpr size_t kMaxDescriptionBytes = 16 * 1024;

std::filesystem::path DescriptionOf(const std::filesystem::path& socket) {
    std::filesystem::path description = socket;
    return description.replace_extension(kDescriptionExtension);
}

}  // namespace

std::optional<std::filesystem::path> OtherWindows::Folder() {
    const auto runtime = PrivateRuntimeDir();
    if (!runtime) {
        return std::nullopt;
    }
    const std::filesystem::path folder = *runtime / "windows";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return std::nullopt;
    }
    return folder;
}

std::optional<std::filesystem::path> OtherWindows::SocketFor(const std::string& title,
                                                             const std::string& className) {
    const auto folder = Folder();
    if (!folder) {
        return std::nullopt;
    }
    // Titles may hold anything and socket paths are short: the name is a hash of both.
    return *folder / (StableHashHex(title + '\n' + className) + kSocketExtension);
}

bool OtherWindows::Describe(const std::filesystem::path& socket, const std::string& title,
                            const std::string& className) {
    Json::Value description(Json::objectValue);
    description["title"] = title;
    description["class"] = className;
    return JsonDocument::Write(DescriptionOf(socket), description);
}

void OtherWindows::Forget(const std::filesystem::path& socket) {
    std::error_code ec;
    std::filesystem::remove(DescriptionOf(socket), ec);
}

std::vector<OtherWindows::Window> OtherWindows::List() {
    std::vector<Window> windows;
    const auto folder = Folder();
    if (!folder) {
        return windows;
    }
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(*folder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (it->path().extension() != kSocketExtension) {
            continue;
        }
        const Json::Value description =
            JsonDocument::Read(DescriptionOf(it->path()), kMaxDescriptionBytes);
        if (!description.isObject() || !description["title"].isString() ||
            !description["class"].isString()) {
            continue;  // not described (yet): not a window
        }
        windows.push_back(
            Window{description["title"].asString(), description["class"].asString(), it->path()});
    }
    return windows;
}

std::optional<OtherWindows::Window> OtherWindows::Find(const std::string& title,
                                                       const std::string& className) {
    for (Window& window : List()) {
        if ((title.empty() || window.title == title) &&
            (className.empty() || window.className == className)) {
            return std::move(window);
        }
    }
    return std::nullopt;
}

bool OtherWindows::Send(const Window& window, const EndpointRequest& request) {
    return MessageEndpoint::Send(window.socket, request, kSendTimeoutMs).empty();
}

size_t OtherWindows::Broadcast(const EndpointRequest& request) {
    size_t taken = 0;
    for (const Window& window : List()) {
        taken += Send(window, request) ? 1 : 0;
    }
    return taken;
}

}  // namespace marlo::platform
