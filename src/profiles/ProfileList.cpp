#include "profiles/ProfileList.h"

#include <algorithm>
#include <chrono>

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"

#include "platform/JsonDocument.h"
#include "profiles/DocumentFiles.h"
#include "profiles/DocumentLimits.h"
#include "profiles/JsonFields.h"
#include "profiles/ListsLock.h"
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

bool ProfileList::IsListShape(const Json::Value& list) {
    const Json::Value& entries = Entries(list);
    if (entries.isNull()) {
        return true;  // an empty list
    }
    if (!entries.isArray() || entries.size() > kMaxProfiles) {
        return false;
    }
    for (const Json::Value& entry : entries) {
        if (!entry.isObject()) {
            return false;
        }
    }
    return true;
}

platform::KeptDocument ProfileList::ReadListKept() const {
    return DocumentFiles::ReadKept(listFile_, DocumentLimits::kListBytes, IsListShape);
}

std::optional<Json::Value> ProfileList::ReadList() const {
    const platform::KeptDocument kept = ReadListKept();
    if (kept.status == platform::KeptDocument::Status::kBlocked) {
        return std::nullopt;
    }
    return kept.usable() ? kept.value : Json::Value(Json::objectValue);
}

std::optional<Json::Value> ProfileList::LockAndRead(std::optional<platform::FileLock>& lock) {
    lock = LockListsFolder(folder_);
    if (!lock) {
        return std::nullopt;
    }
    std::optional<Json::Value> list = ReadList();
    if (list) {
        TakeNames(*list);
    }
    return list;
}

const std::string& ProfileList::selectedUuid() const {
    static const std::string kNone;
    return selected_ >= 0 && static_cast<size_t>(selected_) < uuids_.size()
               ? uuids_[static_cast<size_t>(selected_)]
               : kNone;
}

void ProfileList::TakeNames(const Json::Value& list) {
    names_.clear();
    uuids_.clear();
    const Json::Value& entries = Entries(list);
    for (Json::ArrayIndex i = 0; entries.isArray() && i < entries.size() && i < kMaxProfiles; ++i) {
        names_.push_back(F::String(entries[i], "profilename"));
        uuids_.push_back(F::String(entries[i], "profileUUID"));
    }
    int select = static_cast<int>(F::Int(list, "profileselect"));
    if (select < 0 || select >= static_cast<int>(names_.size())) {
        select = 0;  // a selection pointing nowhere would leave the device without a profile
    }
    selected_ = names_.empty() ? -1 : select;
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
        document = platform::JsonDocument::Read(defaultProfile_, DocumentLimits::kProfileBytes);
        if (!document.isObject()) {
            document = Json::Value(Json::objectValue);
        }
    }
    document["profilename"] = name;
    document["profileUUID"] = uuid;
    return platform::JsonDocument::Write(file, document);
}

bool ProfileList::RebuildFromProfileFiles() {
    struct Found {
        std::string uuid;
        std::string name;
        std::filesystem::file_time_type written;
    };
    std::vector<Found> found;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder_, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::path& file = it->path();
        if (file.extension() != kProfileExtension || !it->is_regular_file(ec)) {
            continue;
        }
        const Json::Value document =
            platform::JsonDocument::Read(file, DocumentLimits::kProfileBytes);
        if (!F::Member(document, "Device").isArray()) {
            continue;  // not a profile
        }
        std::string name = F::String(document, "profilename");
        if (!NameRules::IsAcceptable(name)) {
            name = file.stem().string();
        }
        std::error_code timeError;
        found.push_back({file.stem().string(), name, it->last_write_time(timeError)});
    }
    if (found.empty()) {
        return false;
    }
    // UUIDs are creation times: their order is the order the profiles were made in.
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.uuid < b.uuid; });
    if (found.size() > kMaxProfiles) {
        found.resize(kMaxProfiles);
    }
    // The one written last is the one the person used last: it stays selected.
    size_t newest = 0;
    for (size_t i = 1; i < found.size(); ++i) {
        if (found[i].written > found[newest].written) {
            newest = i;
        }
    }
    Json::Value list(Json::objectValue);
    Json::Value& entries = F::ArrayMember(list, "profilelist");
    std::vector<std::string> names;
    for (const Found& f : found) {
        const std::string name =
            NameRules::Contains(names, f.name) ? f.name + " (" + f.uuid + ")" : f.name;
        names.push_back(name);
        entries.append(Entry(name, f.uuid));
    }
    list["profileselect"] = static_cast<int>(newest);
    notice_ += "the profile list was made again from " + std::to_string(found.size()) +
               " profile files; \"" + NameRules::Printable(names[newest]) +
               "\" (written last) is selected\n";
    return WriteList(list);
}

void ProfileList::Load() {
    notice_.clear();
    const auto lock = LockListsFolder(folder_);
    if (!lock) {
        notice_ += "the profile folder is locked by another program\n";
        return;
    }
    platform::RemoveStaleTemporaryFiles(folder_);
    const platform::KeptDocument kept = ReadListKept();
    if (kept.status == platform::KeptDocument::Status::kBlocked) {
        notice_ += kept.problem + "\n";
        return;  // nothing replaces a list that could not be set aside
    }
    if (!kept.problem.empty()) {
        notice_ += kept.problem + "\n";
    }
    Json::Value list = kept.usable() ? kept.value : Json::Value(Json::objectValue);
    if (!Entries(list).isArray() || Entries(list).empty()) {
        // Profiles already in the folder stay reachable: the list is made from them. Only a
        // folder without any gets a fresh "profile1", its file written before the list.
        if (RebuildFromProfileFiles()) {
            list = ReadList().value_or(Json::Value(Json::objectValue));
        } else {
            list = Json::Value(Json::objectValue);
            const std::string uuid = TimeStampId::Next(folder_, kProfileExtension);
            WriteProfile(Json::Value(), uuid, "profile1");
            F::ArrayMember(list, "profilelist").append(Entry("profile1", uuid));
            list["profileselect"] = 0;
            WriteList(list);
        }
    }
    TakeNames(list);
}

ListResult ProfileList::SelectProfile(int index) {
    std::optional<platform::FileLock> lock;
    std::optional<Json::Value> list = LockAndRead(lock);
    if (!list) {
        return ListResult::kFileError;
    }
    if (index < 0 || index >= static_cast<int>(names_.size())) {
        return ListResult::kNoSelection;
    }
    (*list)["profileselect"] = index;
    selected_ = index;
    return WriteList(*list) ? ListResult::kDone : ListResult::kFileError;
}

ListResult ProfileList::AddProfile(Json::Value list, Json::Value document, const std::string& name,
                                   bool select) {
    // Under the folder lock: the UUID is unique against the files present, and the file is
    // written before the list names it, so a crash leaves at worst a file without an entry
    // (found again when the list is rebuilt), never an entry without its file.
    const std::string uuid = TimeStampId::Next(folder_, kProfileExtension);
    if (!WriteProfile(std::move(document), uuid, name)) {
        return ListResult::kFileError;
    }
    F::ArrayMember(list, "profilelist").append(Entry(name, uuid));
    if (select) {
        list["profileselect"] = static_cast<int>(Entries(list).size() - 1);
    }
    if (!WriteList(list)) {
        std::error_code ec;
        std::filesystem::remove(ProfileFile(uuid), ec);
        return ListResult::kFileError;
    }
    TakeNames(list);
    return ListResult::kDone;
}

ListResult ProfileList::LockForAdding(std::optional<platform::FileLock>& lock, Json::Value& list) {
    std::optional<Json::Value> read = LockAndRead(lock);
    if (!read) {
        return ListResult::kFileError;
    }
    list = std::move(*read);
    return names_.size() >= kMaxProfiles ? ListResult::kLimitReached : ListResult::kDone;
}

ListResult ProfileList::NewProfile() {
    std::optional<platform::FileLock> lock;
    Json::Value list;
    if (const ListResult refused = LockForAdding(lock, list); refused != ListResult::kDone) {
        return refused;
    }
    return AddProfile(std::move(list), Json::Value(), NameRules::FirstFree(names_, "profile%d"),
                      true);
}

ListResult ProfileList::CopyProfile() {
    std::optional<platform::FileLock> lock;
    Json::Value list;
    if (const ListResult refused = LockForAdding(lock, list); refused != ListResult::kDone) {
        return refused;
    }
    if (selected_ < 0 || selected_ >= static_cast<int>(names_.size())) {
        return ListResult::kNoSelection;
    }
    const std::filesystem::path source = ProfileFile(selectedUuid());
    if (source.empty()) {
        return ListResult::kUnsafeName;
    }
    std::string name = names_[static_cast<size_t>(selected_)] + " copy";
    while (NameRules::Contains(names_, name)) {
        name += " copy";
    }
    if (!NameRules::IsAcceptable(name)) {
        name = NameRules::FirstFree(names_, "profile%d");
    }
    const Json::Value document = DocumentFiles::ReadObjectKeepingUnusable(
        source, DocumentLimits::kProfileBytes, DocumentFiles::IsProfileShape);
    return AddProfile(std::move(list), document, name, false);
}

ListResult ProfileList::RenameProfile(const std::string& name) {
    if (NameRules::IsBlank(name)) {
        return ListResult::kBlankName;
    }
    if (!NameRules::IsAcceptable(name)) {
        return ListResult::kBadName;
    }
    std::optional<platform::FileLock> lock;
    std::optional<Json::Value> list = LockAndRead(lock);
    if (!list) {
        return ListResult::kFileError;
    }
    if (selected_ < 0 || selected_ >= static_cast<int>(names_.size())) {
        return ListResult::kNoSelection;
    }
    if (NameRules::Contains(names_, name, selected_)) {
        return ListResult::kDuplicateName;
    }
    if (Json::Value* entry = F::ElementToWrite(F::ArrayMember(*list, "profilelist"),
                                               static_cast<Json::ArrayIndex>(selected_))) {
        F::Set(*entry, "profilename", name);
    }
    if (!WriteList(*list)) {
        return ListResult::kFileError;
    }
    names_[static_cast<size_t>(selected_)] = name;
    const std::filesystem::path file = ProfileFile(selectedUuid());
    if (file.empty()) {
        return ListResult::kUnsafeName;
    }
    Json::Value document = DocumentFiles::ReadObjectKeepingUnusable(
        file, DocumentLimits::kProfileBytes, DocumentFiles::IsProfileShape);
    if (!document.isObject()) {
        return ListResult::kDone;  // the file is made from the default when it is loaded
    }
    document["profilename"] = name;
    return platform::JsonDocument::Write(file, document) ? ListResult::kDone
                                                         : ListResult::kFileError;
}

ListResult ProfileList::DeleteProfile() {
    std::optional<platform::FileLock> lock;
    std::optional<Json::Value> read = LockAndRead(lock);
    if (!read) {
        return ListResult::kFileError;
    }
    Json::Value& list = *read;
    if (selected_ < 0 || selected_ >= static_cast<int>(names_.size())) {
        return ListResult::kNoSelection;
    }
    if (names_.size() <= 1) {
        return ListResult::kLastProfile;
    }
    const int removed = selected_;
    const int next = removed == 0 ? 0 : removed - 1;
    Json::Value& entries = F::ArrayMember(list, "profilelist");
    Json::Value gone;
    entries.removeIndex(static_cast<Json::ArrayIndex>(removed), &gone);
    list["profileselect"] = next;
    // The entry goes first, then the file: a crash between leaves a file without an entry,
    // never an entry without its file.
    if (!WriteList(list)) {
        return ListResult::kFileError;
    }
    const std::filesystem::path file = ProfileFile(F::String(gone, "profileUUID"));
    if (!file.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    TakeNames(list);
    return ListResult::kDone;
}

ListResult ProfileList::ResetProfile() {
    std::optional<platform::FileLock> lock;
    if (!LockAndRead(lock)) {
        return ListResult::kFileError;
    }
    const std::string uuid = selectedUuid();
    const std::string name = selected_ >= 0 ? names_[static_cast<size_t>(selected_)] : "";
    const std::filesystem::path file = ProfileFile(uuid);
    if (selected_ < 0 || uuid.empty()) {
        return ListResult::kNoSelection;
    }
    if (file.empty()) {
        return ListResult::kUnsafeName;
    }
    Json::Value document =
        platform::JsonDocument::Read(defaultProfile_, DocumentLimits::kProfileBytes);
    if (!document.isObject()) {
        return ListResult::kFileError;  // no factory settings to reset to
    }
    if (pageKind_ == kHeadsetPageKind) {
        // The headset's own equaliser presets survive a reset.
        const Json::Value current = DocumentFiles::ReadObjectKeepingUnusable(
            file, DocumentLimits::kProfileBytes, DocumentFiles::IsProfileShape);
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
    const platform::JsonDocument::Loaded loaded =
        platform::JsonDocument::Load(source, DocumentLimits::kProfileBytes);
    if (loaded.status == platform::JsonDocument::Loaded::Status::kTooLarge) {
        return ListResult::kTooLarge;
    }
    const Json::Value& document = loaded.value;
    if (!F::Member(document, "Device").isArray() || !DocumentFiles::IsProfileShape(document)) {
        return ListResult::kBadImport;
    }
    const std::string stem = source.stem().string();
    if (!NameRules::IsAcceptable(stem)) {
        return ListResult::kBadName;
    }
    std::optional<platform::FileLock> lock;
    Json::Value list;
    if (const ListResult refused = LockForAdding(lock, list); refused != ListResult::kDone) {
        return refused;
    }
    // The name takes counters until it is free: "a", "a(1)", "a(1)(2)".
    std::string name = stem;
    for (int counter = 1; NameRules::Contains(names_, name); ++counter) {
        name += "(" + std::to_string(counter) + ")";
    }
    if (!NameRules::IsAcceptable(name)) {
        return ListResult::kBadName;
    }
    return AddProfile(std::move(list), document, name, false);
}

ListResult ProfileList::ExportProfile(const std::filesystem::path& destination) {
    const std::filesystem::path file = ProfileFile(selectedUuid());
    if (file.empty()) {
        return ListResult::kUnsafeName;
    }
    const Json::Value document = platform::JsonDocument::Read(file, DocumentLimits::kProfileBytes);
    if (!document.isObject()) {
        return ListResult::kFileError;
    }
    return platform::JsonDocument::Write(destination, document) ? ListResult::kDone
                                                                : ListResult::kFileError;
}

size_t ProfileList::GetProfileCount() const {
    const Json::Value list = ReadList().value_or(Json::Value());
    const Json::Value& entries = Entries(list);
    return entries.isArray() ? entries.size() : 0;
}

std::filesystem::path ProfileList::GetProfilePathAt(int index) const {
    const std::string uuid = UuidAt(ReadList().value_or(Json::Value()), index);
    return uuid.empty() ? std::filesystem::path() : ProfileFile(uuid);
}

}  // namespace marlo::profiles
