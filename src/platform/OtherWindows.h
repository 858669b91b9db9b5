#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/EndpointRequest.h"

namespace marlo::platform {

// Windows of the user's other programs that this program sends to: a cooperating program
// (a production tool, the audio companion, `marloctl listen`) registers a window by serving a
// message endpoint of its own in <private runtime folder>/windows/, named after the window's
// title and class, with a small description beside it. Messages travel as on the program's own
// endpoint: registered messages by name, copy-data blocks as owned bytes.
class OtherWindows {
  public:
    struct Window {
        std::string title;
        std::string className;
        std::filesystem::path socket;
    };

    // How long a send waits for a window that does not answer.
    static constexpr uint32_t kSendTimeoutMs = 500;

    // The folder, made with mode 0700 when missing; nothing without a private runtime folder.
    static std::optional<std::filesystem::path> Folder();
    // Where a window of this title and class is served, and its description is kept.
    static std::optional<std::filesystem::path> SocketFor(const std::string& title,
                                                          const std::string& className);
    // Writes the description of a window served at `socket` (the listener's part).
    static bool Describe(const std::filesystem::path& socket, const std::string& title,
                         const std::string& className);
    static void Forget(const std::filesystem::path& socket);

    // The windows registered now, in no particular order.
    static std::vector<Window> List();
    // The first window whose title (when `title` is not empty) and class (when `className` is
    // not empty) match; nothing when none does.
    static std::optional<Window> Find(const std::string& title, const std::string& className);
    // Sends to one window; false, quietly, when it is gone or does not answer in time.
    static bool Send(const Window& window, const EndpointRequest& request);
    // Sends to every window; how many took it.
    static size_t Broadcast(const EndpointRequest& request);
};

}  // namespace marlo::platform
