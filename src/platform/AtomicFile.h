#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace marlo::platform {

// Replaces `target` with `bytes` so that a reader sees either the old file whole or the new
// one whole: the bytes go to a temporary file in the same folder, which is flushed to disk and
// then renamed over the target. On failure the temporary file is removed, the target is left
// as it was, and false is returned. A new file gets mode 0644; an existing one keeps its mode.
// The temporary file is ".<target name>.tmp-<pid>-XXXXXX", so that one left by a writer that
// was killed can be recognised (see RemoveStaleTemporaryFiles).
//
// kVolatile skips the flushes (the file still appears whole): for files that need not outlive
// the machine, such as an emulated device's sysfs entries, where a flush per file costs more
// than everything else.
enum class Durability { kFlushed, kVolatile };
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         Durability durability = Durability::kFlushed);

inline constexpr std::string_view kTemporaryMark = ".tmp-";

// Removes the temporary files of interrupted writes from `folder`: those whose writing process
// is gone, and any older than `olderThanSeconds` (a write takes milliseconds).
void RemoveStaleTemporaryFiles(const std::filesystem::path& folder,
                               uint32_t olderThanSeconds = 600);

// Reads a whole file. Nothing when it is missing, unreadable, not a regular file or larger
// than `maxBytes`.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, size_t maxBytes);

}  // namespace marlo::platform
