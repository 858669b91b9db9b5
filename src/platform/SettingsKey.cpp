#include "platform/SettingsKey.h"

#include "platform/SettingsStore.h"

namespace marlo::platform {
namespace {

const Json::Value* FindValue(const Json::Value& document, const std::string& key,
                             std::string_view name) {
    const Json::Value* k = document.find(key.data(), key.data() + key.size());
    if (k == nullptr || !k->isObject()) {
        return nullptr;
    }
    return k->find(name.data(), name.data() + name.size());
}

}  // namespace

std::optional<uint32_t> SettingsKey::ReadDword(std::string_view name) const {
    const Json::Value document = store_->Load();
    const Json::Value* v = FindValue(document, path_, name);
    if (v == nullptr || !v->isIntegral() || !v->isUInt()) {
        return std::nullopt;
    }
    return v->asUInt();
}

std::optional<std::string> SettingsKey::ReadString(std::string_view name) const {
    const Json::Value document = store_->Load();
    const Json::Value* v = FindValue(document, path_, name);
    if (v == nullptr || !v->isString()) {
        return std::nullopt;
    }
    return v->asString();
}

bool SettingsKey::WriteDword(std::string_view name, uint32_t value) const {
    return store_->Modify([&](Json::Value& document) {
        Json::Value& key = document[path_];
        if (!key.isObject()) {
            return false;  // the key was deleted since it was opened
        }
        key[std::string(name)] = Json::UInt(value);
        return true;
    });
}

bool SettingsKey::WriteString(std::string_view name, std::string_view value) const {
    return store_->Modify([&](Json::Value& document) {
        Json::Value& key = document[path_];
        if (!key.isObject()) {
            return false;
        }
        key[std::string(name)] = std::string(value);
        return true;
    });
}

}  // namespace marlo::platform
