#pragma once

#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileLock.h"
#include "platform/KeptDocument.h"
#include "profiles/ListResult.h"

namespace marlo::profiles {

// A device's list of named profiles: ProfileList.ini in the device's folder (a JSON document
// despite its name) and one <UUID>.Json file per profile. Every operation reads the list
// again and writes it back at once, holding the folder's lock file across both, so programs
// working on one folder at a time lose nothing; `names()` mirrors the list in order, as the
// profile combo box shows it.
//
// A list that cannot be used (malformed, too large, of the wrong shape) is kept aside and
// made again from the profile files, selecting the one written last; `notice()` says so.
class ProfileList {
  public:
    static constexpr size_t kMaxProfiles = 50;
    static constexpr int kHeadsetPageKind = 7;

    // `folder` is the device's data folder, `defaultProfile` its factory profile file;
    // `pageKind` is the device page's kind (7 for the headset).
    ProfileList(std::filesystem::path folder, std::filesystem::path defaultProfile, int pageKind);

    // Reads the list, creating it when there is none (from the profile files already in the
    // folder, or as one "profile1" made from the default), and selects its saved selection.
    void Load();

    const std::vector<std::string>& names() const { return names_; }
    int selected() const { return selected_; }
    // The UUID of the selected entry; empty with none.
    const std::string& selectedUuid() const;

    ListResult SelectProfile(int index);
    ListResult NewProfile();
    ListResult CopyProfile();
    ListResult RenameProfile(const std::string& name);
    ListResult DeleteProfile();
    ListResult ResetProfile();
    ListResult ImportProfile(const std::filesystem::path& source);
    ListResult ExportProfile(const std::filesystem::path& destination);

    // Read from the list file.
    size_t GetProfileCount() const;
    // <folder>/<UUID>.Json of an entry; empty when there is no such entry or its UUID is not
    // a plain file name.
    std::filesystem::path GetProfilePathAt(int index) const;

    const std::filesystem::path& listFile() const { return listFile_; }
    // The UUIDs of the entries, in `names()` order, as the list was last read.
    const std::vector<std::string>& Uuids() const { return uuids_; }
    // What the last Load found and did about it (a list made again, a file kept aside), one
    // line per point; empty when all was well.
    const std::string& notice() const { return notice_; }

  private:
    static bool IsListShape(const Json::Value& list);
    platform::KeptDocument ReadListKept() const;
    // The list (empty when there is none); nothing when it is unusable and could not be set
    // aside, so nothing may replace it.
    std::optional<Json::Value> ReadList() const;
    // Takes the folder lock into `lock`, reads the list and takes its names: nothing when the
    // lock could not be had or the list may not be replaced.
    std::optional<Json::Value> LockAndRead(std::optional<platform::FileLock>& lock);
    // The names, the selection and its UUID from a list document.
    void TakeNames(const Json::Value& list);
    // LockAndRead into `list`: kLimitReached when it is full, kFileError when it cannot be
    // changed, else kDone.
    ListResult LockForAdding(std::optional<platform::FileLock>& lock, Json::Value& list);
    // Adds a profile made from `document` (the default when null) under `name` to `list`:
    // the file first, then the entry. The folder lock must be held.
    ListResult AddProfile(Json::Value list, Json::Value document, const std::string& name,
                          bool select);
    bool WriteList(const Json::Value& list) const;
    // Rebuilds the list from the profile files in the folder (oldest first); false when
    // there are none.
    bool RebuildFromProfileFiles();
    // Writes `document` (or the default profile when null) as the profile `uuid`, named.
    bool WriteProfile(Json::Value document, const std::string& uuid, const std::string& name) const;
    std::filesystem::path ProfileFile(const std::string& uuid) const;

    std::filesystem::path folder_;
    std::filesystem::path defaultProfile_;
    std::filesystem::path listFile_;
    int pageKind_;
    std::vector<std::string> names_;
    int selected_ = -1;
    std::vector<std::string> uuids_;  // beside names_
    std::string notice_;
};

}  // namespace marlo::profiles
