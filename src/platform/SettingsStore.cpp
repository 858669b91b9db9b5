#include "platform/SettingsStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/FileBackup.h"
#include "platform/JsonDocument.h"
#include "platform/KeptDocument.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"

namespace marlo::platform {
namespace {

// Holds an exclusive flock on the store's lock file for its lifetime.
class StoreLock {
  public:
    explicit StoreLock(const std::filesystem::path& file)
        : fd_(open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool ok() const { return fd_ >= 0; }

  private:
    int fd_;
};

}  // namespace

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
    const StoreLock lock(file_);
    if (!lock.ok()) {
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
