#include "online/UpdateService.h"

#include <json/value.h>

#include <cstdlib>
#include <ctime>

#include "platform/JsonDocument.h"
#include "platform/KeptDocument.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"
#include "platform/SettingsStore.h"

namespace marlo::online {
namespace {

std::string StoredText(const char* name) {
    const platform::SettingsStore store = platform::SettingsStore::UserStore();
    const auto key = store.OpenKey(UpdateService::kSettingsKey);
    return key ? key->ReadString(name).value_or("") : "";
}

}  // namespace

std::string UpdateService::BaseAddress() {
    if (const char* url = std::getenv("MARLO_UPDATE_URL"); url != nullptr && *url != '\0') {
        return url;
    }
    return StoredText(kAddressValue);
}

std::string UpdateService::PinnedKey() {
    return StoredText(kPinnedKeyValue);
}

UpdateTimeFile::UpdateTimeFile(std::filesystem::path file) : file_(std::move(file)) {}

UpdateTimeFile UpdateTimeFile::UserFile() {
    return UpdateTimeFile(platform::Paths::ProductFolder() / "updatetime.config");
}

std::string UpdateTimeFile::Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_year + 1900) + "-" + std::to_string(local.tm_mon + 1) + "-" +
           std::to_string(local.tm_mday);
}

namespace {

constexpr size_t kMaxTimeFileBytes = 64 * 1024;

bool IsTimeShape(const Json::Value& doc) {
    return doc.isObject() && doc["updatelasttime"].isObject() &&
           doc["updatelasttime"]["value"].isString();
}

}  // namespace

std::string UpdateTimeFile::ReadOrCreate() const {
    const platform::KeptDocument kept =
        platform::KeptDocument::Read(file_, kMaxTimeFileBytes, IsTimeShape);
    if (kept.usable()) {
        return kept.value["updatelasttime"]["value"].asString();
    }
    if (kept.status != platform::KeptDocument::Status::kBlocked) {
        WriteToday();
    }
    return Today();
}

bool UpdateTimeFile::WriteToday() const {
    // A file that cannot be used is kept aside before it is replaced; one that cannot be set
    // aside is left as it is.
    if (platform::KeptDocument::Read(file_, kMaxTimeFileBytes, IsTimeShape).status ==
        platform::KeptDocument::Status::kBlocked) {
        return false;
    }
    Json::Value doc(Json::objectValue);
    doc["updatelasttime"]["value"] = Today();
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    return platform::JsonDocument::Write(file_, doc);
}

}  // namespace marlo::online
