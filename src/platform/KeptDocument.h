#pragma once

#include <json/value.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace marlo::platform {

// Reading a document the program may replace, without ever losing what a person made: a file
// that exists but cannot be used (unreadable, larger than its kind's bound, malformed, or not
// of the shape its kind has) is renamed beside itself as a backup before anything else is
// done, and the caller is told so in a sentence it can show.
class KeptDocument {
  public:
    // kBlocked: unusable, and it could not be set aside either; nothing may replace it.
    enum class Status { kUsable, kMissing, kKeptAside, kBlocked };
    using Shape = std::function<bool(const Json::Value&)>;

    Status status = Status::kMissing;
    Json::Value value;  // the document when usable, else null
    std::optional<std::filesystem::path> backup;
    std::string problem;  // unless usable or missing: what was wrong and where the file went

    bool usable() const { return status == Status::kUsable; }

    // `shape` tells whether a parsed document is of the kind expected (an object with the
    // right member types); a document of the wrong shape is kept aside like a malformed one.
    static KeptDocument Read(const std::filesystem::path& file, size_t maxBytes,
                             const Shape& shape);
};

}  // namespace marlo::platform
