#pragma once

#include <json/value.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileLock.h"
#include "profiles/ListResult.h"
#include "profiles/MacroEvent.h"

namespace marlo::profiles {

// A device's macros: the index "macro.config" ({ "MacroInfo": [ { "MacroName", "Guid" } ] })
// and one <Guid>.mac file per macro with its events. Operations on the index read it again
// and write it back under the folder's lock file (the profile list's), so programs working
// on one folder at a time lose nothing.
class MacroList {
  public:
    static constexpr size_t kMaxMacros = 50;
    static constexpr int kVersion = 64;

    struct Row {
        std::string name;
        std::string guid;
    };
    // A row of the macro editor's action list: the delay cell and the event as JSON text.
    struct ActionRow {
        std::string delayText;
        std::string eventJson;
    };

    explicit MacroList(std::filesystem::path folder);

    // Reads the index; an index that cannot be read is kept as a backup and made again from
    // the macro files in the folder.
    void LoadMacroList();
    const std::vector<Row>& rows() const { return rows_; }

    // Adds "macro_<n>" (the lowest free n) with a new GUID; its file is written on save.
    ListResult NewMacro();
    ListResult RenameMacro(int row, const std::string& name);
    ListResult DeleteMacro(int row);

    // Writes the macro file of a row from the editor's action list. An empty delay cell is
    // saved (and shown) as "0"; the list ends at the first row without an event.
    ListResult SaveMacro(int row, std::vector<ActionRow>& actions);
    // The events of a row's macro file (none when it is missing or unreadable).
    std::vector<MacroEvent> LoadMacro(int row) const;
    ListResult ExportMacro(int row, const std::filesystem::path& destination) const;
    // A new macro whose file is a copy of `source`, which must be a macro file.
    ListResult ImportMacro(const std::filesystem::path& source);

    std::filesystem::path MacroFile(int row) const;
    const std::filesystem::path& indexFile() const { return indexFile_; }
    // The index: an object whose "MacroInfo", when present, is an array of at most
    // kMaxMacros objects; its rows, in order.
    static bool IsIndexShape(const Json::Value& index);
    static std::vector<Row> RowsOf(const Json::Value& index);
    // A macro file: "Events" an array of at most the steps a device takes; its events.
    static bool IsMacroShape(const Json::Value& macro);
    static std::vector<MacroEvent> EventsOf(const Json::Value& macro);

    // What the last load found and did about it; empty when all was well.
    const std::string& notice() const { return notice_; }

  private:
    bool WriteIndex() const;
    bool RebuildFromMacroFiles();
    // Reads the index into the rows (rebuilding an unusable one); false when it is unusable
    // and could not be set aside, so nothing may replace it. The folder lock is held.
    bool ReadIndex();
    // Adds a macro (its file from `bytes`, when given, written first). Lock held.
    ListResult AddMacro(const std::string* bytes);

    std::filesystem::path folder_;
    std::filesystem::path indexFile_;
    std::vector<Row> rows_;
    std::string notice_;
};

}  // namespace marlo::profiles
