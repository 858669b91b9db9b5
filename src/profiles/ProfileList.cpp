#include "profiles/ProfileList.h"

#include <algorithm>

#include "platform/JsonDocument.h"
#include "profiles/DocumentFiles.h"
#include "profiles/JsonFields.h"
#include "profiles/NameRules.h"
#include "profiles/TimeStampId.h"

namespace marlo::profiles {

using F = JsonFields;

namespace {

constexpr const char* kProfileExtension = ".Json";

Json::Value Entry(const std::string& name, const std::string& uuid) {
    Json::Value e(Json::objectValue);
    e["profilename"] = name;
    e["profileUUID"] = uuid;
    e["profileislink"] = 0;
    e["profilelinkmame"] = "";
    return e;
}

const Json::Value& Entries(const Json::Value& list) {
    return F::Member(list, "profilelist");
}

std::string UuidAt(const Json::Value& list, int index) {
    return index < 0 ? std::string()
                     : F::String(F::Element(Entries(list), static_cast<Json::ArrayIndex>(index)),
                                 "profileUUID");
}

}  // namespace

ProfileList::ProfileList(std::filesystem::path folder, std::filesystem::path defaultProfile,
                         int pageKind)
    : folder_(std::move(folder)),
      defaultProfile_(std::move(defaultProfile)),
      listFile_(folder_ / "ProfileList.ini"),
      pageKind_(pageKind) {}

Json::Value ProfileList::ReadList() const {
    Json::Value list = DocumentFiles::ReadObjectKeepingUnusable(listFile_);
    return list.isObject() ? list : Json::Value(Json::objectValue);
}

bool ProfileList::WriteList(const Json::Value& list) const {
    return platform::JsonDocument::Write(listFile_, list);
}

std::filesystem::path ProfileList::ProfileFile(const std::string& uuid) const {
    if (!DocumentFiles::IsSafeStem(uuid)) {
        return {};
    }
    return folder_ / (uuid + kProfileExtension);
}

bool ProfileList::WriteProfile(Json::Value document, const std::string& uuid,
                               const std::string& name) const {
    const std::filesystem::path file = ProfileFile(uuid);
    if (file.empty()) {
        return false;
    }
    if (!document.isObject()) {
        document = platform::JsonDocument::Read(defaultProfile_);
        if (!document.isObject()) {
            document = Json::Value(Json::objectValue);
        }
    }
    document["profilename"] = name;
    document["profileUUID"] = uuid;
    return platform::JsonDocument::Write(file, document);
}

std::string ProfileList::AppendEntry(Json::Value& list, const std::string& name) {
    const std::string uuid = TimeStampId::Next(folder_, kProfileExtension);
    F::ArrayMember(list, "profilelist").append(Entry(name, uuid));
    names_.push_back(name);
    return uuid;
}

bool ProfileList::RebuildFromProfileFiles() {
    std::vector<std::pair<std::string, std::string>> found;  // uuid, name
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder_, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::path& file = it->path();
        if (file.extension() != kProfileExtension || !it->is_regular_file(ec)) {
            continue;
        }
        const Json::Value document = platform::JsonDocument::Read(file);
        if (!F::Member(document, "Device").isArray()) {
            continue;  // not a profile
        }
        const std::string uuid = file.stem().string();
        std::string name = F::String(document, "profilename");
        found.emplace_back(uuid, name.empty() ? uuid : name);
    }
    if (found.empty()) {
        return false;
    }
    // UUIDs are creation times: their order is the order the profiles were made in.
    std::sort(found.begin(), found.end());
    Json::Value list(Json::objectValue);
    Json::Value& entries = F::ArrayMember(list, "profilelist");
    for (const auto& [uuid, name] : found) {
        entries.append(Entry(name, uuid));
    }
    list["profileselect"] = 0;
    return WriteList(list);
}

void ProfileList::Load() {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    Json::Value list = ReadList();
    if (!Entries(list).isArray() || Entries(list).empty()) {
        // Profiles already in the folder stay reachable: the list is made from them. Only a
        // folder without any gets a fresh "profile1".
        if (RebuildFromProfileFiles()) {
            list = ReadList();
        } else {
            names_.clear();
            list = Json::Value(Json::objectValue);
            const std::string uuid = AppendEntry(list, "profile1");
            list["profileselect"] = 0;
            WriteList(list);
            WriteProfile(Json::Value(), uuid, "profile1");
        }
    }
    names_.clear();
    const Json::Value& entries = Entries(list);
    for (Json::ArrayIndex i = 0; i < entries.size() && i <= F::kMaxIndex; ++i) {
        names_.push_back(F::String(entries[i], "profilename"));
    }
    int select = static_cast<int>(F::Int(list, "profileselect"));
    if (select < 0 || select >= static_cast<int>(names_.size())) {
        select = 0;  // a selection pointing nowhere would leave the device without a profile
    }
    SelectProfile(select);
}

ListResult ProfileList::SelectProfile(int index) {
    if (index < 0 || index >= static_cast<int>(names_.size())) {
        return ListResult::kNoSelection;
    }
    Json::Value list = ReadList();
    list["profileselect"] = index;
    selected_ = index;
    selectedUuid_ = UuidAt(list, index);
    return WriteList(list) ? ListResult::kDone : ListResult::kFileError;
}

ListResult ProfileList::NewProfile() {
    if (names_.size() >= kMaxProfiles) {
        return ListResult::kLimitReached;
    }
    const std::string name = NameRules::FirstFree(names_, "profile%d");
    Json::Value list = ReadList();
    const std::string uuid = AppendEntry(list, name);
    list["profileselect"] = static_cast<int>(names_.size() - 1);
    const bool written = WriteList(list);
    selected_ = static_cast<int>(names_.size() - 1);
    selectedUuid_ = uuid;
    return written && WriteProfile(Json::Value(), uuid, name) ? ListResult::kDone
                                                              : ListResult::kFileError;
}

ListResult ProfileList::CopyProfile() {
    if (selected_ < 0 || selected_ >= static_cast<int>(names_.size())) {
        return ListResult::kNoSelection;
    }
    const std::filesystem::path source = ProfileFile(selectedUuid_);
    if (source.empty()) {
        return ListResult::kUnsafeName;
    }
    std::string name = names_[static_cast<size_t>(selected_)] + " copy";
    while (NameRules::Contains(names_, name)) {
        name += " copy";
    }
    Json::Value list = ReadList();
    const std::string uuid = AppendEntry(list, name);
    const bool written = WriteList(list);
    const Json::Value document = DocumentFiles::ReadObjectKeepingUnusable(source);
    return written && WriteProfile(document, uuid, name) ? ListResult::kDone
                                                         : ListResult::kFileError;
}

ListResult ProfileList::RenameProfile(const std::string& name) {
    if (NameRules::IsBlank(name)) {
        return ListResult::kBlankName;
    }
    if (selected_ < 0 || selected_ >= static_cast<int>(names_.size())) {
        return ListResult::kNoSelection;
    }
    if (NameRules::Contains(names_, name, selected_)) {
        return ListResult::kDuplicateName;
    }
    names_[static_cast<size_t>(selected_)] = name;
    Json::Value list = ReadList();
    if (Json::Value* entry = F::ElementToWrite(F::ArrayMember(list, "profilelist"),
                                               static_cast<Json::ArrayIndex>(selected_))) {
        F::Set(*entry, "profilename", name);
    }
    if (!WriteList(list)) {
        return ListResult::kFileError;
    }
    const std::filesystem::path file = ProfileFile(selectedUuid_);
    if (file.empty()) {
        return ListResult::kUnsafeName;
    }
    Json::Value document = DocumentFiles::ReadObjectKeepingUnusable(file);
    if (!document.isObject()) {
        return ListResult::kDone;  // the file is made from the default when it is loaded
    }
    document["profilename"] = name;
    return platform::JsonDocument::Write(file, document) ? ListResult::kDone
                                                         : ListResult::kFileError;
}

ListResult ProfileList::DeleteProfile() {
    if (selected_ < 0 || selected_ >= static_cast<int>(names_.size())) {
        return ListResult::kNoSelection;
    }
    if (names_.size() <= 1) {
        return ListResult::kLastProfile;
    }
    const int removed = selected_;
    const int next = removed == 0 ? 0 : removed - 1;
    Json::Value list = ReadList();
    Json::Value& entries = F::ArrayMember(list, "profilelist");
    Json::Value gone;
    entries.removeIndex(static_cast<Json::ArrayIndex>(removed), &gone);
    const std::filesystem::path file = ProfileFile(F::String(gone, "profileUUID"));
    if (!file.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    list["profileselect"] = next;
    names_.erase(names_.begin() + removed);
    selected_ = next;
    selectedUuid_ = UuidAt(list, next);
    return WriteList(list) ? ListResult::kDone : ListResult::kFileError;
}

ListResult ProfileList::ResetProfile() {
    const Json::Value list = ReadList();
    const std::string uuid = UuidAt(list, selected_);
    const std::string name =
        F::String(F::Element(Entries(list), static_cast<Json::ArrayIndex>(std::max(selected_, 0))),
                  "profilename");
    const std::filesystem::path file = ProfileFile(uuid);
    if (selected_ < 0 || uuid.empty()) {
        return ListResult::kNoSelection;
    }
    if (file.empty()) {
        return ListResult::kUnsafeName;
    }
    Json::Value document = platform::JsonDocument::Read(defaultProfile_);
    if (!document.isObject()) {
        return ListResult::kFileError;  // no factory settings to reset to
    }
    if (pageKind_ == kHeadsetPageKind) {
        // The headset's own equaliser presets survive a reset.
        const Json::Value current = DocumentFiles::ReadObjectKeepingUnusable(file);
        const Json::Value& tree = F::Element(F::Member(current, "Device"), 0);
        if (Json::Value* target = F::ElementToWrite(F::ArrayMember(document, "Device"), 0)) {
            for (const char* section : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
                const Json::Value& kept = F::Member(tree, section);
                if (!kept.isNull()) {
                    F::Set(*target, section, kept);
                }
            }
        }
    }
    return WriteProfile(document, uuid, name) ? ListResult::kDone : ListResult::kFileError;
}

ListResult ProfileList::ImportProfile(const std::filesystem::path& source) {
    Json::Value document = platform::JsonDocument::Read(source);
    if (!F::Member(document, "Device").isArray()) {
        return ListResult::kBadImport;
    }
    std::string name = source.stem().string();
    for (int counter = 1; NameRules::Contains(names_, name); ++counter) {
        name += "(" + std::to_string(counter) + ")";
    }
    Json::Value list = ReadList();
    const std::string uuid = AppendEntry(list, name);
    const bool written = WriteList(list);
    return written && WriteProfile(document, uuid, name) ? ListResult::kDone
                                                         : ListResult::kFileError;
}

ListResult ProfileList::ExportProfile(const std::filesystem::path& destination) {
    const std::filesystem::path file = ProfileFile(UuidAt(ReadList(), selected_));
    if (file.empty()) {
        return ListResult::kUnsafeName;
    }
    const Json::Value document = platform::JsonDocument::Read(file);
    if (!document.isObject()) {
        return ListResult::kFileError;
    }
    return platform::JsonDocument::Write(destination, document) ? ListResult::kDone
                                                                : ListResult::kFileError;
}

size_t ProfileList::GetProfileCount() const {
    const Json::Value list = DocumentFiles::ReadObjectKeepingUnusable(listFile_);
    const Json::Value& entries = Entries(list);
    return entries.isArray() ? entries.size() : 0;
}

std::filesystem::path ProfileList::GetProfilePathAt(int index) const {
    const std::string uuid = UuidAt(DocumentFiles::ReadObjectKeepingUnusable(listFile_), index);
    return uuid.empty() ? std::filesystem::path() : ProfileFile(uuid);
}

}  // namespace marlo::profiles
