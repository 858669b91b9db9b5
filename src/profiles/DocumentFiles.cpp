#include "profiles/DocumentFiles.h"

#include "platform/DebugOutput.h"
#include "platform/FileBackup.h"
#include "platform/JsonDocument.h"
#include "profiles/JsonFields.h"

namespace marlo::profiles {

platform::KeptDocument DocumentFiles::ReadKept(const std::filesystem::path& file, size_t maxBytes,
                                               const platform::KeptDocument::Shape& shape) {
    return platform::KeptDocument::Read(file, maxBytes, [&shape](const Json::Value& document) {
        return document.isObject() && (!shape || shape(document));
    });
}

Json::Value DocumentFiles::ReadObjectKeepingUnusable(const std::filesystem::path& file,
                                                     size_t maxBytes,
                                                     const platform::KeptDocument::Shape& shape) {
    return ReadKept(file, maxBytes, shape).value;
}

bool DocumentFiles::IsProfileShape(const Json::Value& document) {
    if (!document.isObject()) {
        return false;
    }
    const Json::Value& devices = JsonFields::Member(document, "Device");
    return devices.isNull() ||
           (devices.isArray() && devices.size() <= DocumentLimits::kProfileDevices);
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
