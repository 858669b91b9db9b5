#include "profiles/MacroList.h"

#include <algorithm>

#include "platform/AtomicFile.h"
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

constexpr const char* kMacroExtension = ".mac";
constexpr size_t kMaxMacroFileBytes = DocumentLimits::kMacroFileBytes;

}  // namespace

bool MacroList::IsIndexShape(const Json::Value& index) {
    const Json::Value& info = F::Member(index, "MacroInfo");
    if (info.isNull()) {
        return true;
    }
    if (!info.isArray() || info.size() > MacroList::kMaxMacros) {
        return false;
    }
    for (const Json::Value& row : info) {
        if (!row.isObject()) {
            return false;
        }
    }
    return true;
}

bool MacroList::IsMacroShape(const Json::Value& macro) {
    const Json::Value& events = F::Member(macro, "Events");
    return events.isArray() && events.size() <= DocumentLimits::kMacroSteps;
}

std::vector<MacroList::Row> MacroList::RowsOf(const Json::Value& index) {
    std::vector<Row> rows;
    const Json::Value& info = F::Member(index, "MacroInfo");
    for (Json::ArrayIndex i = 0; info.isArray() && i < info.size() && i < kMaxMacros; ++i) {
        rows.push_back(Row{F::String(info[i], "MacroName"), F::String(info[i], "Guid")});
    }
    return rows;
}

std::vector<MacroEvent> MacroList::EventsOf(const Json::Value& macro) {
    std::vector<MacroEvent> result;
    const Json::Value& events = F::Member(macro, "Events");
    for (Json::ArrayIndex i = 0;
         events.isArray() && i < events.size() && i < DocumentLimits::kMacroSteps; ++i) {
        result.push_back(MacroEvent::FromJson(events[i]));
    }
    return result;
}

namespace {

std::vector<std::string> Names(const std::vector<MacroList::Row>& rows) {
    std::vector<std::string> names;
    for (const auto& r : rows) {
        names.push_back(r.name);
    }
    return names;
}

}  // namespace

MacroList::MacroList(std::filesystem::path folder)
    : folder_(std::move(folder)), indexFile_(folder_ / "macro.config") {}

bool MacroList::WriteIndex() const {
    Json::Value index(Json::objectValue);
    Json::Value& info = F::ArrayMember(index, "MacroInfo");
    for (const Row& r : rows_) {
        Json::Value e(Json::objectValue);
        e["MacroName"] = r.name;
        e["Guid"] = r.guid;
        info.append(e);
    }
    return platform::JsonDocument::Write(indexFile_, index);
}

bool MacroList::RebuildFromMacroFiles() {
    std::vector<Row> found;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder_, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (it->path().extension() != kMacroExtension) {
            continue;
        }
        const Json::Value macro = platform::JsonDocument::Read(it->path(), kMaxMacroFileBytes);
        if (!IsMacroShape(macro)) {
            continue;
        }
        const std::string guid = it->path().stem().string();
        const std::string name = F::String(macro, "MacroName");
        found.push_back(Row{NameRules::IsAcceptable(name) ? name : guid, guid});
    }
    rows_.clear();
    if (found.empty()) {
        return false;
    }
    std::sort(found.begin(), found.end(),
              [](const Row& a, const Row& b) { return a.guid < b.guid; });
    if (found.size() > kMaxMacros) {
        found.resize(kMaxMacros);
    }
    rows_ = std::move(found);
    notice_ +=
        "the macro index was made again from " + std::to_string(rows_.size()) + " macro files\n";
    return WriteIndex();
}

bool MacroList::ReadIndex() {
    const platform::KeptDocument kept =
        DocumentFiles::ReadKept(indexFile_, DocumentLimits::kListBytes, IsIndexShape);
    rows_.clear();
    if (!kept.problem.empty()) {
        notice_ += kept.problem + "\n";
    }
    if (kept.status == platform::KeptDocument::Status::kBlocked) {
        return false;  // nothing may replace it
    }
    if (kept.status == platform::KeptDocument::Status::kKeptAside) {
        // The macros stay reachable: the index is made again from their files.
        RebuildFromMacroFiles();
        return true;
    }
    rows_ = RowsOf(kept.value);
    return true;
}

void MacroList::LoadMacroList() {
    notice_.clear();
    const auto lock = LockListsFolder(folder_);
    if (!lock) {
        rows_.clear();
        notice_ += "the macro folder is locked by another program\n";
        return;
    }
    platform::RemoveStaleTemporaryFiles(folder_);
    ReadIndex();
}

std::filesystem::path MacroList::MacroFile(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) ||
        !DocumentFiles::IsSafeStem(rows_[static_cast<size_t>(row)].guid)) {
        return {};
    }
    return folder_ / (rows_[static_cast<size_t>(row)].guid + kMacroExtension);
}

ListResult MacroList::AddMacro(const std::string* bytes) {
    // The folder lock is held. An imported macro's file is written before the index names it.
    if (!ReadIndex()) {
        return ListResult::kFileError;
    }
    if (rows_.size() >= kMaxMacros) {
        return ListResult::kLimitReached;
    }
    const Row row{NameRules::FirstFree(Names(rows_), "macro_%d"),
                  TimeStampId::Next(folder_, kMacroExtension)};
    if (bytes != nullptr &&
        !platform::WriteFileAtomically(folder_ / (row.guid + kMacroExtension), *bytes)) {
        return ListResult::kFileError;
    }
    rows_.push_back(row);
    return WriteIndex() ? ListResult::kDone : ListResult::kFileError;
}

ListResult MacroList::NewMacro() {
    const auto lock = LockListsFolder(folder_);
    return lock ? AddMacro(nullptr) : ListResult::kFileError;
}

ListResult MacroList::RenameMacro(int row, const std::string& name) {
    if (NameRules::IsBlank(name)) {
        return ListResult::kBlankName;
    }
    if (!NameRules::IsAcceptable(name)) {
        return ListResult::kBadName;
    }
    const auto lock = LockListsFolder(folder_);
    if (!lock || !ReadIndex()) {
        return ListResult::kFileError;
    }
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        return ListResult::kNoSelection;
    }
    rows_[static_cast<size_t>(row)].name = name;
    return WriteIndex() ? ListResult::kDone : ListResult::kFileError;
}

ListResult MacroList::DeleteMacro(int row) {
    const auto lock = LockListsFolder(folder_);
    if (!lock || !ReadIndex()) {
        return ListResult::kFileError;
    }
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        return ListResult::kNoSelection;
    }
    const std::filesystem::path file = MacroFile(row);
    rows_.erase(rows_.begin() + row);
    // The row goes first, then the file: a crash between leaves a file without a row (found
    // again when the index is rebuilt), never a row without its file.
    if (!WriteIndex()) {
        return ListResult::kFileError;
    }
    if (!file.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    return ListResult::kDone;
}

ListResult MacroList::SaveMacro(int row, std::vector<ActionRow>& actions) {
    const std::filesystem::path file = MacroFile(row);
    if (file.empty()) {
        return row < 0 || row >= static_cast<int>(rows_.size()) ? ListResult::kNoSelection
                                                                : ListResult::kUnsafeName;
    }
    Json::Value macro(Json::objectValue);
    macro["MacroName"] = rows_[static_cast<size_t>(row)].name;
    macro["Guid"] = rows_[static_cast<size_t>(row)].guid;
    Json::Value& events = F::ArrayMember(macro, "Events");
    for (ActionRow& action : actions) {
        if (events.size() >= DocumentLimits::kMacroSteps) {
            break;  // the longest macro a device takes
        }
        if (action.delayText.empty()) {
            action.delayText = "0";
        }
        const std::string delay = std::to_string(static_cast<int32_t>(DelayMs(action.delayText)));
        if (action.eventJson.empty()) {
            break;
        }
        Json::Value event = platform::JsonDocument::Parse(action.eventJson);
        if (event.isObject()) {
            event["Delay"] = delay;
            events.append(event);
        }
    }
    macro["Version"] = kVersion;
    return platform::JsonDocument::Write(file, macro) ? ListResult::kDone : ListResult::kFileError;
}

std::vector<MacroEvent> MacroList::LoadMacro(int row) const {
    const std::filesystem::path file = MacroFile(row);
    if (file.empty()) {
        return {};
    }
    return EventsOf(platform::JsonDocument::Read(file, kMaxMacroFileBytes));
}

ListResult MacroList::ExportMacro(int row, const std::filesystem::path& destination) const {
    const std::filesystem::path file = MacroFile(row);
    if (file.empty()) {
        return ListResult::kNoSelection;
    }
    const auto bytes = platform::ReadWholeFile(file, kMaxMacroFileBytes);
    if (!bytes) {
        return ListResult::kFileError;
    }
    return platform::WriteFileAtomically(destination, *bytes) ? ListResult::kDone
                                                              : ListResult::kFileError;
}

ListResult MacroList::ImportMacro(const std::filesystem::path& source) {
    const platform::JsonDocument::Loaded loaded =
        platform::JsonDocument::Load(source, kMaxMacroFileBytes);
    if (loaded.status == platform::JsonDocument::Loaded::Status::kTooLarge) {
        return ListResult::kTooLarge;
    }
    if (!IsMacroShape(loaded.value)) {
        return ListResult::kBadImport;
    }
    const auto bytes = platform::ReadWholeFile(source, kMaxMacroFileBytes);
    if (!bytes) {
        return ListResult::kBadImport;
    }
    const auto lock = LockListsFolder(folder_);
    return lock ? AddMacro(&*bytes) : ListResult::kFileError;
}

}  // namespace marlo::profiles
