#include "online/UpdateCheck.h"

#include <json/value.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "online/HttpClient.h"
#include "platform/Event.h"
#include "platform/DebugOutput.h"
#include "platform/JsonDocument.h"

namespace marlo::online {
namespace {

std::string Text(const Json::Value& object, const char* name) {
    const Json::Value& v = object[name];
    if (v.isString()) {
        return v.asString();
    }
    if (v.isIntegral()) {
        return v.isUInt64() ? std::to_string(v.asUInt64()) : std::to_string(v.asInt64());
    }
    return {};
}

// The leading digits of a version text in the item's base; a number too large for the
// service's versions counts as the largest.
int64_t VersionNumber(const std::string& text, bool hexadecimal) {
    int64_t value = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hexadecimal && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hexadecimal && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        value = std::min<int64_t>(value * (hexadecimal ? 16 : 10) + digit, INT32_MAX);
    }
    return value;
}

}  // namespace

UpdateResult ReadUpdateAnswer(const UpdateItem& item, std::string_view answer) {
    UpdateResult result;
    result.localVersionText = item.LocalVersionText();
    // The answer is a C string in its buffer: it ends at the first zero.
    answer = answer.substr(0, answer.find('\0'));
    const Json::Value doc = platform::JsonDocument::Parse(answer);
    if (answer == HttpClient::kNoLinkServer || !doc.isObject()) {
        result.failed = true;
    } else {
        result.path = Text(doc, "path");
        result.name = Text(doc, "name");
        result.versionName = Text(doc, "version_name");
        const std::string version = Text(doc, "version");
        if (doc["device_id"].isInt()) {
            result.deviceId = doc["device_id"].asInt();
        }
        if (!version.empty()) {
            result.remoteVersionText = item.IsHexadecimal() ? "V" + version : result.versionName;
            if (item.version < VersionNumber(version, item.IsHexadecimal())) {
                result.status = UpdateResult::kUpdateAvailable;
            }
        }
    }
    if (result.name.empty()) {
        // Nothing usable came back: the row keeps its defaults.
        const bool failed = result.failed;
        result = UpdateResult{};
        result.localVersionText = item.LocalVersionText();
        result.failed = failed;
    }
    result.name = item.ShownName();
    if (result.status == UpdateResult::kUpdateAvailable) {
        result.file = (std::filesystem::temp_directory_path() / (result.name + ".exe")).string();
    }
    return result;
}

UpdateCheck::UpdateCheck(HttpClient& client, std::string baseAddress) : client_(client) {
    if (!baseAddress.empty()) {
        if (baseAddress.back() != '/') {
            baseAddress += '/';
        }
        url_ = baseAddress + "api/" + "updates";
    }
}

UpdateResult UpdateCheck::Query(const UpdateItem& item, platform::Event* stop) {
    std::vector<uint8_t> answer(kAnswerBytes, 0);
    if (url_.empty()) {
        return ReadUpdateAnswer(item, HttpClient::kNoLinkServer);
    }
    client_.HttpInit();
    client_.settings().totalTimeoutMs = itemTimeoutMs_;
    const std::vector<uint8_t> body = item.RequestBody();
    const int got = client_.HttpRequest("POST", url_, body, answer, false, stop);
    // Only a whole answer with a success status counts: an error status, a transfer that broke
    // off or ran out of time is a failed query, whatever its body says.
    const long status = client_.HttpStatus();
    if (got <= 0 || client_.HttpLastError() != 0 || status < 200 || status > 299) {
        if (got > 0) {
            platform::DebugOutput::Printf("the update service answered %ld (error %d) for %s",
                                          status, client_.HttpLastError(),
                                          item.ShownName().c_str());
        }
        return ReadUpdateAnswer(item, HttpClient::kNoLinkServer);
    }
    const std::string_view text(reinterpret_cast<const char*>(answer.data()),
                                static_cast<size_t>(got));
    return ReadUpdateAnswer(item, text);
}

UpdateCheck::State UpdateCheck::Run(const std::vector<UpdateItem>& items,
                                    const std::function<void(size_t, const UpdateResult&)>& row,
                                    platform::Event* stop) {
    std::vector<UpdateResult> results;
    for (size_t i = 0; i < items.size(); ++i) {
        if (stop != nullptr && stop->Wait(0)) {
            return kChecking;
        }
        results.push_back(Query(items[i], stop));
        if (stop != nullptr && stop->Wait(0)) {
            return kChecking;
        }
        if (row) {
            row(i, results.back());
        }
    }
    return Conclude(results);
}

UpdateCheck::State UpdateCheck::Conclude(const std::vector<UpdateResult>& results) {
    const bool anyUpdate = std::any_of(results.begin(), results.end(), [](const auto& r) {
        return r.status != UpdateResult::kUpToDate && r.status != 0;
    });
    if (anyUpdate) {
        return kHaveUpdates;
    }
    const bool allFailed =
        std::all_of(results.begin(), results.end(), [](const auto& r) { return r.failed; });
    return allFailed ? kUnreachable : kUpToDate;
}

}  // namespace marlo::online
