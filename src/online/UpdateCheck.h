#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "online/UpdateItem.h"

namespace marlo::platform {
class Event;
}

namespace marlo::online {

class HttpClient;

// What the service said about one item.
struct UpdateResult {
    static constexpr int kUpdateAvailable = 1;
    static constexpr int kUpToDate = 7;

    int status = kUpToDate;
    int deviceId = 0;
    std::string name;
    std::string localVersionText;
    std::string versionName;
    // Empty when the service gave no version.
    std::string remoteVersionText;
    std::string path;
    std::string file;
    // The service could not be reached for this item.
    bool failed = false;
};

// Reads the service's answer for `item`: a JSON object with "path", "name", "version_name",
// "version" (texts) and "device_id". An object without a name leaves the result at the row's
// defaults (up to date); an answer that is no JSON object at all (empty, cut off, a server's
// error page) is a failed query. The answer is outside input: anything may arrive.
UpdateResult ReadUpdateAnswer(const UpdateItem& item, std::string_view answer);

// The update check of the settings window: one form POST per item to
// "<base address>api/updates", then the state of the whole check.
class UpdateCheck {
  public:
    // The status line's states.
    enum State {
        kChecking = 0,
        kHaveUpdates = 1,
        kUnreachable = 2,
        kUpdating = 3,
        kUpToDate = 4,
    };
    static constexpr size_t kAnswerBytes = 102400;
    // The most one item's query may take, however slowly its answer comes.
    static constexpr uint32_t kItemTimeoutMs = 60000;

    // `baseAddress` empty: no service is configured and every item counts as unreachable.
    UpdateCheck(HttpClient& client, std::string baseAddress);

    // One item's query. `stop` ends it at once.
    UpdateResult Query(const UpdateItem& item, platform::Event* stop);

    // Every item in order; `row` hears each result as it comes. The state of the whole check,
    // or kChecking when `stop` ended it early.
    State Run(const std::vector<UpdateItem>& items,
              const std::function<void(size_t, const UpdateResult&)>& row, platform::Event* stop);

    // What the check leads to once every result is in.
    static State Conclude(const std::vector<UpdateResult>& results);
    const std::string& url() const { return url_; }
    void SetItemTimeout(uint32_t ms) { itemTimeoutMs_ = ms; }

  private:
    HttpClient& client_;
    std::string url_;
    uint32_t itemTimeoutMs_ = kItemTimeoutMs;
};

}  // namespace marlo::online
