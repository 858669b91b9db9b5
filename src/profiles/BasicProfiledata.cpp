#include "profiles/BasicProfiledata.h"

#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/FileBackup.h"
#include "platform/JsonDocument.h"
#include "profiles/DocumentFiles.h"
#include "profiles/DocumentLimits.h"
#include "profiles/JsonFields.h"
#include "profiles/ListsLock.h"

namespace marlo::profiles {

using F = JsonFields;

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) {
        profilePath_ = path;
    }
}

void CBasicProfiledata::SetDefaultProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) {
        defaultProfilePath_ = path;
    }
}

Json::Value CBasicProfiledata::LoadInto(Json::Value& tree, const std::filesystem::path& path) {
    const auto index = static_cast<Json::ArrayIndex>(deviceIndex_);
    Json::Value document =
        DocumentFiles::ReadObjectKeepingUnusable(path, DocumentLimits::kProfileBytes);
    tree = F::Element(F::Member(document, "Device"), index);
    if (!tree.isObject()) {
        if (!F::Member(document, "Device").isNull()) {
            // An entry is there but unusable: keep the file before the entry is replaced.
            platform::KeepUnreadableFile(path);
        }
        const Json::Value factory =
            platform::JsonDocument::Read(defaultProfilePath_, DocumentLimits::kProfileBytes);
        tree = F::Element(F::Member(factory, "Device"), index);
        if (!tree.isObject()) {
            tree = Json::Value();  // no usable default either: every getter reads zeros
            return tree;
        }
        if (!document.isObject()) {
            document = Json::Value(Json::objectValue);
        }
        if (Json::Value* slot = F::ElementToWrite(F::ArrayMember(document, "Device"), index)) {
            *slot = tree;
        }
        WriteDocument(document, path);
    }
    return tree;
}

Json::Value CBasicProfiledata::TakeProfileDocument(const Json::Value& document) {
    primary_ =
        F::Element(F::Member(document, "Device"), static_cast<Json::ArrayIndex>(deviceIndex_));
    primaryBase_ = primary_;
    if (!primary_.isObject()) {
        primary_ = Json::Value();
    }
    return primary_;
}

Json::Value CBasicProfiledata::LoadProfile(const std::filesystem::path& path) {
    Json::Value tree = LoadInto(primary_, path);
    primaryBase_ = primary_;
    RememberDisk(platform::ReadWholeFile(path, DocumentLimits::kProfileBytes).value_or(""));
    return tree;
}

CBasicProfiledata::FileStamp CBasicProfiledata::StampOf(const std::filesystem::path& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return {};
    }
    return {static_cast<uint64_t>(st.st_ino), static_cast<int64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void CBasicProfiledata::RememberDisk(std::string text) {
    diskText_ = std::move(text);
    diskStamp_ = StampOf(profilePath_);
}

bool CBasicProfiledata::ChangedOnDisk() const {
    if (profilePath_.empty() || StampOf(profilePath_) == diskStamp_) {
        return false;
    }
    return platform::ReadWholeFile(profilePath_, DocumentLimits::kProfileBytes).value_or("") !=
           diskText_;
}

Json::Value CBasicProfiledata::LoadSecondaryProfile(const std::filesystem::path& path) {
    return LoadInto(secondary_, path);
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    lightConfig_ = platform::JsonDocument::Read(path, DocumentLimits::kLightBytes);
    return lightConfig_;
}

bool CBasicProfiledata::SaveProfile() {
    if (profilePath_.empty()) {
        return false;
    }
    // Held from the read to the write, so that another program's change is not lost in between.
    const auto lock = LockListsFolder(profilePath_.parent_path());
    Json::Value document = ReadDocumentToWrite(profilePath_);
    Json::Value* slot = DeviceSlot(document);
    if (slot == nullptr) {
        return false;
    }
    // Members compare by their text: a number read as signed and written as unsigned is the
    // same member.
    const auto text = [](const Json::Value& v) { return platform::JsonDocument::Format(v); };
    if (!slot->isObject() || !primary_.isObject() || !primaryBase_.isObject()) {
        *slot = primary_;
    } else {
        for (const std::string& name : primary_.getMemberNames()) {
            if (!primaryBase_.isMember(name) || text(primary_[name]) != text(primaryBase_[name])) {
                (*slot)[name] = primary_[name];
            }
        }
        for (const std::string& name : primaryBase_.getMemberNames()) {
            if (!primary_.isMember(name)) {
                slot->removeMember(name);
            }
        }
    }
    if (!WriteDocument(document, profilePath_)) {
        return false;
    }
    primary_ = *slot;
    primaryBase_ = primary_;
    RememberDisk(platform::JsonDocument::Format(document));
    return true;
}

Json::Value CBasicProfiledata::ReadDocumentToWrite(const std::filesystem::path& path) {
    Json::Value document =
        DocumentFiles::ReadObjectKeepingUnusable(path, DocumentLimits::kProfileBytes);
    return document.isObject() ? document : Json::Value(Json::objectValue);
}

Json::Value* CBasicProfiledata::DeviceSlot(Json::Value& document) const {
    return F::ElementToWrite(F::ArrayMember(document, "Device"),
                             static_cast<Json::ArrayIndex>(deviceIndex_));
}

bool CBasicProfiledata::SaveDeviceEntry(const Json::Value& tree,
                                        const std::filesystem::path& path) {
    Json::Value document = ReadDocumentToWrite(path);
    Json::Value* slot = DeviceSlot(document);
    if (slot == nullptr) {
        return false;
    }
    *slot = tree;
    return WriteDocument(document, path);
}

bool CBasicProfiledata::SaveSecondaryProfile(const std::filesystem::path& path) {
    return SaveDeviceEntry(secondary_, path);
}

bool CBasicProfiledata::WriteDocument(const Json::Value& document,
                                      const std::filesystem::path& path) {
    return platform::JsonDocument::Write(path, document);
}

Json::Value& CBasicProfiledata::SectionToWrite(std::string_view name) {
    return F::ObjectMember(primary_, name);
}

LightInfo CBasicProfiledata::GetLightInfo() {
    const Json::Value& s = F::Member(primary_, "LightInfo");
    if (s.isNull()) {
        lightInfo_ = fallbackLightInfo_;
        return lightInfo_;
    }
    LightInfo info;
    info.selectItem = F::Byte(s, "SelectItem");
    info.light = F::Byte(s, "Light");
    info.speed = F::Byte(s, "Speed");
    info.fx = F::Byte(s, "Fx");
    info.multiColor = F::Flag(s, "MultiColor");
    info.red = F::Byte(s, "Red");
    info.green = F::Byte(s, "Green");
    info.blue = F::Byte(s, "Blue");
    info.zzccLedMode = F::Byte(s, "ZZCCLedMode");
    info.customGroup = F::Byte(s, "CustomGroup");
    info.oldLedMode = F::Byte(s, "OldLedmode");
    lightInfo_ = info;
    return info;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& info) {
    lightInfo_ = info;
    Json::Value& s = SectionToWrite("LightInfo");
    s["SelectItem"] = info.selectItem;
    s["Light"] = info.light;
    s["Speed"] = info.speed;
    s["Fx"] = info.fx;
    s["MultiColor"] = info.multiColor != 0 ? 1 : 0;
    s["Red"] = info.red;
    s["Green"] = info.green;
    s["Blue"] = info.blue;
    s["ZZCCLedMode"] = info.zzccLedMode;
    s["CustomGroup"] = info.customGroup;
    s["OldLedmode"] = info.oldLedMode;
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
    const Json::Value& s = F::Member(primary_, "AudioLightInfo");
    AudioLightInfo info;
    info.audioMode = F::Byte(s, "AudioMode");
    info.bkColorR = F::Byte(s, "BkColorR");
    info.bkColorG = F::Byte(s, "BkColorG");
    info.bkColorB = F::Byte(s, "BkColorB");
    info.fgColorR = F::Byte(s, "FgColorR");
    info.fgColorG = F::Byte(s, "FgColorG");
    info.fgColorB = F::Byte(s, "FgColorB");
    info.sevenColorFlags = F::Byte(s, "7ColorFlags");
    info.colorTypeFlags = F::Byte(s, "ColorTypeFlags");
    audioLightInfo_ = info;
    return info;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& info) {
    audioLightInfo_ = info;
    Json::Value& s = SectionToWrite("AudioLightInfo");
    s["AudioMode"] = info.audioMode;
    s["BkColorR"] = info.bkColorR;
    s["BkColorG"] = info.bkColorG;
    s["BkColorB"] = info.bkColorB;
    s["FgColorR"] = info.fgColorR;
    s["FgColorG"] = info.fgColorG;
    s["FgColorB"] = info.fgColorB;
    s["7ColorFlags"] = info.sevenColorFlags;
    s["ColorTypeFlags"] = info.colorTypeFlags;
}

std::vector<LightInfo> CBasicProfiledata::GetLightList() {
    const Json::Value& list = F::Member(primary_, "LightList");
    lightList_.clear();
    if (!list.isArray()) {
        return lightList_;
    }
    for (Json::ArrayIndex i = 0; i < list.size() && i <= F::kMaxIndex; ++i) {
        const Json::Value& e = list[i];
        LightInfo info;
        if (!e.isNull()) {
            info.selectItem = F::Byte(e, "LEDREGMode");
            info.light = F::Byte(e, "LEDBrightness");
            info.speed = F::Byte(e, "LEDSpeed");
            info.fx = F::Flag(e, "LEDDirection");
            info.multiColor = F::Flag(e, "LEDMultiColor");
            info.red = F::Byte(e, "red");
            info.green = F::Byte(e, "green");
            info.blue = F::Byte(e, "blue");
            info.present = 1;
        }
        lightList_.push_back(info);
    }
    return lightList_;
}

std::vector<LedEffectStep> CBasicProfiledata::GetLightEffectSteps() {
    effectSteps_.clear();
    const int select = GetLightInfo().selectItem;
    if (!lightConfig_.isNull() && select >= builtInLightEffects_) {
        const Json::Value& effects = F::Element(F::Member(lightConfig_, "LightInfo"),
                                                static_cast<Json::ArrayIndex>(deviceIndex_));
        const std::string guid = F::String(
            F::Element(effects, static_cast<Json::ArrayIndex>(select - builtInLightEffects_)),
            "Guid");
        // The effect file lies beside the light configuration; a name that would lead
        // elsewhere is refused.
        if (DocumentFiles::IsSafeStem(guid)) {
            const Json::Value file = platform::JsonDocument::Read(
                lightConfigPath_.parent_path() / (guid + ".light"), DocumentLimits::kLightBytes);
            const Json::Value& steps = F::Member(file, "LEDEffectList");
            for (Json::ArrayIndex i = 0; steps.isArray() && i < steps.size() && i <= F::kMaxIndex;
                 ++i) {
                const Json::Value& e = steps[i];
                LedEffectStep step;
                step.ledRegMode = F::Byte(e, "LEDREGMode");
                step.ledBrightness = F::Byte(e, "LEDBrightness");
                step.ledSpeed = F::Byte(e, "LEDSpeed");
                step.ledDirection = F::Byte(e, "LEDDirection");
                step.ledMultiColor = F::Byte(e, "LEDMultiColor");
                step.red = F::Byte(e, "red");
                step.green = F::Byte(e, "green");
                step.blue = F::Byte(e, "blue");
                step.time = F::I32(e, "Time");
                step.cycle = F::I32(e, "Cyle");
                effectSteps_.push_back(step);
            }
        }
    }
    return effectSteps_;
}

std::vector<KeyListEntry> CBasicProfiledata::ReadKeyList(const Json::Value& tree) {
    std::vector<KeyListEntry> list;
    const Json::Value& keys = F::Member(tree, "KeyList");
    for (Json::ArrayIndex i = 0; keys.isArray() && i < keys.size() && i <= F::kMaxIndex; ++i) {
        KeyListEntry entry;
        entry.keyIndex = static_cast<uint16_t>(i);
        entry.keyIndexAgain = static_cast<uint16_t>(i);
        entry.assignment =
            Assignment::FromCode(static_cast<uint32_t>(F::Int(keys[i], "Assignment")));
        entry.defaultAssignment =
            Assignment::FromCode(static_cast<uint32_t>(F::Int(keys[i], "DefaultAssignment")));
        list.push_back(entry);
    }
    return list;
}

void CBasicProfiledata::WriteKeyList(Json::Value& tree, const std::vector<KeyListEntry>& list) {
    Json::Value& keys = F::ArrayMember(tree, "KeyList");
    for (size_t i = 0; i < list.size(); ++i) {
        Json::Value* element = F::ElementToWrite(keys, static_cast<Json::ArrayIndex>(i));
        if (element == nullptr) {
            break;
        }
        F::Set(*element, "Assignment", Json::UInt(list[i].assignment.Code()));
    }
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
    keyList_ = ReadKeyList(primary_);
    return keyList_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& list) {
    keyList_ = list;
    WriteKeyList(primary_, list);
}

std::vector<KeyListEntry> CBasicProfiledata::GetSecondaryKeyList() {
    secondaryKeyList_ = ReadKeyList(secondary_);
    return secondaryKeyList_;
}

void CBasicProfiledata::SetSecondaryKeyList(const std::vector<KeyListEntry>& list) {
    secondaryKeyList_ = list;
    WriteKeyList(secondary_, list);
}

}  // namespace marlo::profiles
