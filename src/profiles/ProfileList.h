#pragma once

#include <json/value.h>

#include <filesystem>
#include <string>
#include <vector>

#include "profiles/ListResult.h"

namespace marlo::profiles {

// A device's list of named profiles: ProfileList.ini in the device's folder (a JSON document
// despite its name) and one <UUID>.Json file per profile. The list file is read again by
// every operation and written back at once; `names()` mirrors it in order, as the profile
// combo box shows it.
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
    const std::string& selectedUuid() const { return selectedUuid_; }

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

  private:
    Json::Value ReadList() const;
    bool WriteList(const Json::Value& list) const;
    // Rebuilds the list from the profile files in the folder (oldest first); false when
    // there are none.
    bool RebuildFromProfileFiles();
    // Appends an entry to the list document and the names; returns the new UUID.
    std::string AppendEntry(Json::Value& list, const std::string& name);
    // Writes `document` (or the default profile when null) as the profile `uuid`, named.
    bool WriteProfile(Json::Value document, const std::string& uuid, const std::string& name) const;
    std::filesystem::path ProfileFile(const std::string& uuid) const;

    std::filesystem::path folder_;
    std::filesystem::path defaultProfile_;
    std::filesystem::path listFile_;
    int pageKind_;
    std::vector<std::string> names_;
    int selected_ = -1;
    std::string selectedUuid_;
};

}  // namespace marlo::profiles
