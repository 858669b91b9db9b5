#include "chip/ChipPropertyStore.h"

#include "platform/AtomicFile.h"
#include "platform/JsonDocument.h"

namespace marlo::chip {
namespace {

constexpr size_t kMaxStoreBytes = 256 * 1024;

}  // namespace

ChipPropertyStore::ChipPropertyStore(std::filesystem::path file)
    : file_(std::move(file)), properties_(Json::objectValue) {
    if (file_.empty()) {
        return;
    }
    // A file that is not a store of ours reads as an empty one (and is replaced on the next
    // change): the chip then starts from its defaults.
    const Json::Value document = platform::JsonDocument::Read(file_, kMaxStoreBytes);
    if (document.isObject() && document["Properties"].isObject()) {
        for (const std::string& key : document["Properties"].getMemberNames()) {
            const Json::Value& value = document["Properties"][key];
            if (value.isString()) {
                properties_[key] = value;
            }
        }
    }
}

std::string ChipPropertyStore::Key(const std::string& name, int channel) {
    return name + "/" + std::to_string(channel);
}

std::optional<std::string> ChipPropertyStore::Get(const std::string& name, int channel) const {
    const Json::Value& value = properties_[Key(name, channel)];
    if (file_.empty() || !value.isString()) {
        return std::nullopt;
    }
    return value.asString();
}

bool ChipPropertyStore::Set(const std::string& name, int channel, const std::string& text) {
    if (file_.empty()) {
        return false;
    }
    Json::Value next = properties_;
    next[Key(name, channel)] = text;
    Json::Value document(Json::objectValue);
    document["Properties"] = next;
    std::error_code error;
    std::filesystem::create_directories(file_.parent_path(), error);
    if (!platform::WriteFileAtomically(file_, platform::JsonDocument::Format(document))) {
        return false;
    }
    properties_ = std::move(next);
    return true;
}

}  // namespace marlo::chip
