#include "profiles/MacroList.h"

#include <algorithm>

#include "platform/AtomicFile.h"
#include "platform/JsonDocument.h"
#include "profiles/DocumentFiles.h"
#include "profiles/JsonFields.h"
#include "profiles/NameRules.h"
#include "profiles/TimeStampId.h"

namespace marlo::profiles {

using F = JsonFields;

namespace {

constexpr const char* kMacroExtension = ".mac";
// A macro file is small; anything near this is not one.
constexpr size_t kMaxMacroFileBytes = 16 * 1024 * 1024;

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
        const Json::Value macro = platform::JsonDocument::Read(it->path());
        if (!F::Member(macro, "Events").isArray()) {
            continue;
        }
        const std::string guid = it->path().stem().string();
        const std::string name = F::String(macro, "MacroName");
        found.push_back(Row{name.empty() ? guid : name, guid});
    }
    if (found.empty()) {
        return false;
    }
    std::sort(found.begin(), found.end(),
              [](const Row& a, const Row& b) { return a.guid < b.guid; });
    rows_ = std::move(found);
    return WriteIndex();
}

void MacroList::LoadMacroList() {
    rows_.clear();
    std::error_code ec;
    const bool existed = std::filesystem::exists(indexFile_, ec);
    const Json::Value index = DocumentFiles::ReadObjectKeepingUnusable(indexFile_);
    if (existed && index.isNull()) {
        RebuildFromMacroFiles();
        return;
    }
    const Json::Value& info = F::Member(index, "MacroInfo");
    for (Json::ArrayIndex i = 0; info.isArray() && i < info.size() && i <= F::kMaxIndex; ++i) {
        rows_.push_back(Row{F::String(info[i], "MacroName"), F::String(info[i], "Guid")});
    }
}

std::filesystem::path MacroList::MacroFile(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) ||
        !DocumentFiles::IsSafeStem(rows_[static_cast<size_t>(row)].guid)) {
        return {};
    }
    return folder_ / (rows_[static_cast<size_t>(row)].guid + kMacroExtension);
}

ListResult MacroList::NewMacro() {
    if (rows_.size() >= kMaxMacros) {
        return ListResult::kLimitReached;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    rows_.push_back(Row{NameRules::FirstFree(Names(rows_), "macro_%d"),
                        TimeStampId::Next(folder_, kMacroExtension)});
    return WriteIndex() ? ListResult::kDone : ListResult::kFileError;
}

ListResult MacroList::RenameMacro(int row, const std::string& name) {
    if (name.empty()) {
        return ListResult::kBlankName;
    }
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        return ListResult::kNoSelection;
    }
    rows_[static_cast<size_t>(row)].name = name;
    return WriteIndex() ? ListResult::kDone : ListResult::kFileError;
}

ListResult MacroList::DeleteMacro(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        return ListResult::kNoSelection;
    }
    const std::filesystem::path file = MacroFile(row);
    if (!file.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    rows_.erase(rows_.begin() + row);
    return WriteIndex() ? ListResult::kDone : ListResult::kFileError;
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
    std::vector<MacroEvent> result;
    const std::filesystem::path file = MacroFile(row);
    if (file.empty()) {
        return result;
    }
    const Json::Value macro = platform::JsonDocument::Read(file);
    const Json::Value& events = F::Member(macro, "Events");
    for (Json::ArrayIndex i = 0; events.isArray() && i < events.size() && i <= F::kMaxIndex; ++i) {
        result.push_back(MacroEvent::FromJson(events[i]));
    }
    return result;
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
    const auto bytes = platform::ReadWholeFile(source, kMaxMacroFileBytes);
    if (!bytes || !F::Member(platform::JsonDocument::Parse(*bytes), "Events").isArray()) {
        return ListResult::kBadImport;
    }
    if (const ListResult made = NewMacro(); made != ListResult::kDone) {
        return made;
    }
    return platform::WriteFileAtomically(MacroFile(static_cast<int>(rows_.size()) - 1), *bytes)
               ? ListResult::kDone
               : ListResult::kFileError;
}

}  // namespace marlo::profiles
