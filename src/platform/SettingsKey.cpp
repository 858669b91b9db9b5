#include "platform/SettingsKey.h"

#include "platform/SettingsStore.h"

namespace marlo::platform {
namespace {

const Json::Value* FindValue(const Json::Value& document, std::string_view key,
                             std::string_view name) {
    if (!document.isObject()) {
        return nullptr;
    }
    const Json::Value* k = document.find(key.data(), key.data() + key.size());
    if (k == nullptr || !k->isObject()) {
        return nullptr;
    }
    return k->find(name.data(), name.data() + name.size());
}

}  // namespace

std::optional<uint32_t> SettingsKey::DwordIn(const Json::Value& document, std::string_view key,
                                             std::string_view name) {
    const Json::Value* v = FindValue(document, key, name);
    if (v == nullptr || !v->isIntegral() || !v->isUInt()) {
        return std::nullopt;
    }
    return v->asUInt();
}

std::optional<std::string> SettingsKey::StringIn(const Json::Value& document, std::string_view key,
                                                 std::string_view name) {
    const Json::Value* v = FindValue(document, key, name);
    if (v == nullptr || !v->isString()) {
        return std::nullopt;
    }
    return v->asString();
}

std::optional<uint32_t> SettingsKey::ReadDword(std::string_view name) const {
    return DwordIn(store_->Load(), path_, name);
}

std::optional<std::string> SettingsKey::ReadString(std::string_view name) const {
    return StringIn(store_->Load(), path_, name);
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
