#include "platform/SettingsStore.h"

#include "platform/Event.h"
#include "platform/FileLock.h"
#include "platform/JsonDocument.h"
#include "platform/KeptDocument.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"

namespace marlo::platform {

SettingsStore::SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

SettingsStore SettingsStore::UserStore() {
    return SettingsStore(Paths::ConfigFolder() / "registry.json");
}

Json::Value SettingsStore::Load() const {
    Json::Value document = JsonDocument::Read(file_, kMaxBytes);
    return document.isObject() ? document : Json::Value(Json::objectValue);
}

std::optional<SettingsKey> SettingsStore::OpenKey(std::string_view keyPath) const {
    const Json::Value document = Load();
    const Json::Value* key = document.find(keyPath.data(), keyPath.data() + keyPath.size());
    if (key == nullptr || !key->isObject()) {
        return std::nullopt;
    }
    return SettingsKey(*this, std::string(keyPath));
}

std::optional<SettingsKey> SettingsStore::CreateKey(std::string_view keyPath) const {
    const std::string path(keyPath);
    const bool ok = Modify([&](Json::Value& document) {
        Json::Value& key = document[path];
        if (!key.isObject()) {
            key = Json::Value(Json::objectValue);
        }
        return true;
    });
    if (!ok) {
        return std::nullopt;
    }
    return SettingsKey(*this, path);
}

bool SettingsStore::Modify(const std::function<bool(Json::Value&)>& change) const {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    // Read, change and write under the store's lock file, so two programs lose nothing.
    FileLock lock;
    if (!lock.Acquire(file_.string() + ".lock", kInfinite)) {
        return false;
    }
    // An existing store that cannot be used (malformed, not an object, too large) is kept
    // aside, never silently overwritten; one that cannot even be set aside stays as it is.
    const KeptDocument kept =
        KeptDocument::Read(file_, kMaxBytes, [](const Json::Value& v) { return v.isObject(); });
    if (kept.status == KeptDocument::Status::kBlocked) {
        return false;
    }
    Json::Value document = kept.usable() ? kept.value : Json::Value(Json::objectValue);
    if (!change(document)) {
        return false;
    }
    return JsonDocument::Write(file_, document);
}

}  // namespace marlo::platform
