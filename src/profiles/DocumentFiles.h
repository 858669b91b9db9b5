#pragma once

#include <json/value.h>

#include <filesystem>
#include <string_view>

namespace marlo::profiles {

// How the profile module reads the documents it may replace.
class DocumentFiles {
  public:
    // The document at `file` when it is a JSON object. A file that exists but is not one
    // (unparsable, empty, another type) is kept beside itself as a backup, and null is
    // returned, so whatever replaces it never destroys the user's data.
    static Json::Value ReadObjectKeepingUnusable(const std::filesystem::path& file);

    // A file stem taken from a document (profile UUID, macro GUID, light-effect Guid) names a
    // file inside the device's folder only: refused when empty, or holding a path separator
    // or "..".
    static bool IsSafeStem(std::string_view stem);
};

}  // namespace marlo::profiles
