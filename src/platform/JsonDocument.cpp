#include "platform/JsonDocument.h"

#include <json/reader.h>
#include <json/writer.h>

#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"

namespace marlo::platform {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

JsonDocument::Loaded JsonDocument::Load(const std::filesystem::path& file, size_t maxBytes) {
    Loaded loaded;
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) {
        loaded.status = errno == ENOENT || errno == ENOTDIR ? Loaded::Status::kMissing
                                                            : Loaded::Status::kUnreadable;
        return loaded;
    }
    if (S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) > maxBytes) {
        loaded.status = Loaded::Status::kTooLarge;
        return loaded;
    }
    const std::optional<std::string> text = ReadWholeFile(file, maxBytes);
    if (!text) {
        loaded.status = Loaded::Status::kUnreadable;  // not a regular file, or unreadable
        return loaded;
    }
    loaded.value = Parse(*text);
    loaded.status = loaded.value.isNull() ? Loaded::Status::kMalformed : Loaded::Status::kOk;
    return loaded;
}

const char* JsonDocument::Describe(Loaded::Status status) {
    switch (status) {
        case Loaded::Status::kOk:
            return "usable";
        case Loaded::Status::kMissing:
            return "missing";
        case Loaded::Status::kUnreadable:
            return "unreadable";
        case Loaded::Status::kTooLarge:
            return "larger than any such document can be";
        case Loaded::Status::kMalformed:
            return "not valid JSON";
    }
    return "unusable";
}

Json::Value JsonDocument::Read(const std::filesystem::path& file, size_t maxBytes) {
    Loaded loaded = Load(file, maxBytes);
    if (loaded.status != Loaded::Status::kOk && loaded.status != Loaded::Status::kMalformed) {
        DebugOutput::Write(file.string());
    }
    return std::move(loaded.value);
}

Json::Value JsonDocument::Parse(std::string_view text) {
    // Documents from other tools sometimes carry a byte-order mark; it is not JSON.
    if (text.starts_with(kUtf8Bom)) {
        text.remove_prefix(kUtf8Bom.size());
    }
    if (text.empty()) {
        return Json::Value();
    }
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    builder["stackLimit"] = 256;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value document;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &document, &errors)) {
            return Json::Value();
        }
    } catch (const std::exception&) {
        // JsonCpp throws when the nesting limit is passed.
        return Json::Value();
    }
    return document;
}

std::string JsonDocument::Format(const Json::Value& document) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    builder["commentStyle"] = "All";
    std::string text = Json::writeString(builder, document);
    text.push_back('\n');
    return text;
}

bool JsonDocument::Write(const std::filesystem::path& file, const Json::Value& document) {
    return WriteFileAtomically(file, Format(document));
}

}  // namespace marlo::platform
