#pragma once

#include <json/value.h>

#include <filesystem>
#include <string_view>

#include "platform/KeptDocument.h"
#include "profiles/DocumentLimits.h"

namespace marlo::profiles {

// How the profile module reads the documents it may replace.
class DocumentFiles {
  public:
    // The document at `file` when it is a JSON object of the expected shape (by default any
    // object) within `maxBytes`. A file that exists but is not one (unparsable, empty, too
    // large, another type or shape) is kept beside itself as a backup, and null is returned,
    // so whatever replaces it never destroys the user's data.
    static Json::Value ReadObjectKeepingUnusable(const std::filesystem::path& file,
                                                 size_t maxBytes = DocumentLimits::kProfileBytes,
                                                 const platform::KeptDocument::Shape& shape = {});
    // The same, with all that was found out.
    static platform::KeptDocument ReadKept(const std::filesystem::path& file, size_t maxBytes,
                                           const platform::KeptDocument::Shape& shape = {});
    // A profile document: an object whose "Device", when present, is an array of at most
    // DocumentLimits::kProfileDevices entries.
    static bool IsProfileShape(const Json::Value& document);

    // A file stem taken from a document (profile UUID, macro GUID, light-effect Guid) names a
    // file inside the device's folder only: refused when empty, or holding a path separator
    // or "..".
    static bool IsSafeStem(std::string_view stem);
};

}  // namespace marlo::profiles
