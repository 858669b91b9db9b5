#pragma once

#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "profiles/ProfileRecords.h"

namespace marlo::profiles {

// A device's current profile: the parsed profile document ("Device"[index] is its section
// tree), the fixed records the device code works with, and the light configuration with its
// effect files. Getters read the tree; setters write the tree only; the file changes through
// the save operations (and when a missing profile is created from the factory default).
//
// Documents are read as they come: a member of the wrong type reads as 0 or empty, and a
// profile file that exists but cannot be used is kept beside itself as a backup before it is
// replaced.
class CBasicProfiledata {
  public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = delete;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

    // Paths and set-up. Empty paths are ignored.
    void SetProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetProfilePath() const { return profilePath_; }
    void SetDefaultProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetDefaultProfilePath() const { return defaultProfilePath_; }
    void SetDeviceIndex(int index) { deviceIndex_ = index < 0 ? 0 : index; }
    void SetLightConfigPath(const std::filesystem::path& path) { lightConfigPath_ = path; }
    const std::filesystem::path& GetLightConfigPath() const { return lightConfigPath_; }

    // Loads the section tree of the profile at `path`; a missing or unusable profile is
    // created from the default profile (only its "Device" member). Returns a copy of it.
    Json::Value LoadProfile(const std::filesystem::path& path);
    // The same into the secondary tree, for editing another profile of the device.
    Json::Value LoadSecondaryProfile(const std::filesystem::path& path);
    // The light configuration document (null when missing or unreadable), kept.
    Json::Value LoadLightConfig(const std::filesystem::path& path);
    // Takes the device's section tree from a profile document already in memory (null when
    // it has none), without touching any file: what LoadProfile does after reading.
    Json::Value TakeProfileDocument(const Json::Value& document);

    // Writing. Each returns false when the file could not be written.
    //
    // SaveProfile is a read, change and write under the device folder's lock: only the
    // members of the section tree changed here since it was read (or last saved) are written,
    // onto the document as it is on disk, so what another program (marloctl) changed in other
    // members is kept; the tree then holds the document as written.
    virtual bool SaveProfile();
    virtual bool SaveDeviceEntry(const Json::Value& tree, const std::filesystem::path& path);
    virtual bool SaveSecondaryProfile(const std::filesystem::path& path);
    virtual bool WriteDocument(const Json::Value& document, const std::filesystem::path& path);

    LightInfo GetLightInfo();
    void SetLightInfo(const LightInfo& info);
    AudioLightInfo GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightInfo& info);
    std::vector<LightInfo> GetLightList();
    std::vector<LedEffectStep> GetLightEffectSteps();
    std::vector<KeyListEntry> GetKeyList();
    void SetKeyList(const std::vector<KeyListEntry>& list);
    std::vector<KeyListEntry> GetSecondaryKeyList();
    void SetSecondaryKeyList(const std::vector<KeyListEntry>& list);

    const Json::Value& primaryTree() const { return primary_; }
    // Whether the profile file now holds other text than it had when it was last read or
    // written here (another program wrote it).
    bool ChangedOnDisk() const;
    // Whether the profile in hand is no longer `selected` (another was chosen) or was written
    // by another program since.
    bool OutdatedFor(const std::filesystem::path& selected) const {
        return GetProfilePath() != selected || ChangedOnDisk();
    }
    const Json::Value& secondaryTree() const { return secondary_; }

  protected:
    Json::Value& primary() { return primary_; }
    // A section of the primary tree to write into (made an object when it is not one).
    Json::Value& SectionToWrite(std::string_view name);

  private:
    Json::Value LoadInto(Json::Value& tree, const std::filesystem::path& path);
    // The profile document as it is on disk, to write into (an unusable one kept aside first),
    // and the device's entry in it.
    static Json::Value ReadDocumentToWrite(const std::filesystem::path& path);
    Json::Value* DeviceSlot(Json::Value& document) const;
    static std::vector<KeyListEntry> ReadKeyList(const Json::Value& tree);
    static void WriteKeyList(Json::Value& tree, const std::vector<KeyListEntry>& list);

    std::filesystem::path profilePath_;
    std::filesystem::path defaultProfilePath_;
    int builtInLightEffects_ = 0;
    LightInfo lightInfo_;
    LightInfo fallbackLightInfo_;
    AudioLightInfo audioLightInfo_;
    std::vector<LightInfo> lightList_;
    Json::Value primary_;
    // The primary tree as it was on disk when last read or written: what SaveProfile compares
    // against to find the members changed here.
    Json::Value primaryBase_;
    std::string diskText_;  // the profile file's text then
    // Which file that was (inode, size, modification time): a file that is still the same one
    // needs no reading to tell (every write replaces the file, so its inode changes).
    struct FileStamp {
        uint64_t inode = 0;
        int64_t size = -1;
        int64_t mtimeNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(const std::filesystem::path& path);
    void RememberDisk(std::string text);
    FileStamp diskStamp_;
    Json::Value secondary_;
    std::filesystem::path lightConfigPath_;
    std::vector<LedEffectStep> effectSteps_;
    Json::Value lightConfig_;
    std::vector<KeyListEntry> keyList_;
    std::vector<KeyListEntry> secondaryKeyList_;
    int deviceIndex_ = 0;
};

}  // namespace marlo::profiles
