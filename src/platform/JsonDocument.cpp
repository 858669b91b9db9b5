#include "platform/JsonDocument.h"

#include <json/reader.h>
#include <json/writer.h>

#include <memory>

#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"

namespace marlo::platform {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

Json::Value JsonDocument::Read(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        DebugOutput::Write(file.string());
        return Json::Value();
    }
    const std::optional<std::string> text = ReadWholeFile(file, kMaxBytes);
    if (!text) {
        DebugOutput::Write(file.string());
        return Json::Value();
    }
    return Parse(*text);
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
