#include "platform/KeptDocument.h"

#include "platform/DebugOutput.h"
#include "platform/FileBackup.h"
#include "platform/JsonDocument.h"

namespace marlo::platform {

KeptDocument KeptDocument::Read(const std::filesystem::path& file, size_t maxBytes,
                                const Shape& shape) {
    KeptDocument result;
    JsonDocument::Loaded loaded = JsonDocument::Load(file, maxBytes);
    if (loaded.status == JsonDocument::Loaded::Status::kMissing) {
        return result;
    }
    if (loaded.status == JsonDocument::Loaded::Status::kOk && (!shape || shape(loaded.value))) {
        result.status = Status::kUsable;
        result.value = std::move(loaded.value);
        return result;
    }
    const char* why = loaded.status == JsonDocument::Loaded::Status::kOk
                          ? "not of the expected shape"
                          : JsonDocument::Describe(loaded.status);
    result.backup = KeepUnreadableFile(file);
    result.status = result.backup ? Status::kKeptAside : Status::kBlocked;
    result.problem = file.filename().string() + " was " + why + "; " +
                     (result.backup ? "kept as " + result.backup->filename().string()
                                    : std::string("it could not be set aside"));
    DebugOutput::Write(result.problem);
    return result;
}

}  // namespace marlo::platform
