#include "profiles/DocumentFiles.h"

#include "platform/DebugOutput.h"
#include "platform/FileBackup.h"
#include "platform/JsonDocument.h"

namespace marlo::profiles {

Json::Value DocumentFiles::ReadObjectKeepingUnusable(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return Json::Value();
    }
    Json::Value document = platform::JsonDocument::Read(file);
    if (document.isObject()) {
        return document;
    }
    platform::KeepUnreadableFile(file);
    return Json::Value();
}

bool DocumentFiles::IsSafeStem(std::string_view stem) {
    if (stem.empty() || stem.find('/') != std::string_view::npos ||
        stem.find('\\') != std::string_view::npos || stem.find("..") != std::string_view::npos ||
        stem.find('\0') != std::string_view::npos) {
        platform::DebugOutput::Printf("refused file name from a document: %.*s",
                                      static_cast<int>(stem.size()), stem.data());
        return false;
    }
    return true;
}

}  // namespace marlo::profiles
