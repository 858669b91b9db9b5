#pragma once

#include <json/value.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace marlo::platform {

// JSON documents on disk (UTF-8, no byte-order mark).
class JsonDocument {
  public:
    // Documents larger than this are not read: no document of the program comes near it, and
    // reading an arbitrary file into memory whole must stay bounded.
    static constexpr size_t kMaxBytes = 64 * 1024 * 1024;

    // What reading a file gave: a document, or why not.
    struct Loaded {
        enum class Status { kOk, kMissing, kUnreadable, kTooLarge, kMalformed };
        Status status = Status::kMissing;
        Json::Value value;  // null unless kOk
    };
    // Reads a document of at most `maxBytes`. An empty file is malformed.
    static Loaded Load(const std::filesystem::path& file, size_t maxBytes = kMaxBytes);
    // A sentence for a status other than kOk.
    static const char* Describe(Loaded::Status status);

    // A missing, unreadable, empty, oversized or malformed file gives a null value. Comments
    // are kept. A file that cannot be opened writes its path to the debug output.
    static Json::Value Read(const std::filesystem::path& file, size_t maxBytes = kMaxBytes);

    // Parses text as a document; null when empty or malformed. Never throws.
    static Json::Value Parse(std::string_view text);

    // The styled text of a document followed by one line end, as it is written to disk.
    static std::string Format(const Json::Value& document);

    // Writes the styled text atomically: the old document stays whole until the new one is
    // complete. False when it could not be written.
    static bool Write(const std::filesystem::path& file, const Json::Value& document);
};

}  // namespace marlo::platform
