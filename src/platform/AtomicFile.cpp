#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "platform/FdIo.h"

namespace marlo::platform {
namespace {

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         Durability durability) {
    const bool flush = durability == Durability::kFlushed;
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::string temp = (folder / ("." + target.filename().string() + std::string(kTemporaryMark) +
                                  std::to_string(getpid()) + "-XXXXXX"))
                           .string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    struct stat old {};
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const bool written =
        fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && (!flush || fsync(fd) == 0);
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    if (flush) {
        SyncFolder(folder);
    }
    return true;
}

void RemoveStaleTemporaryFiles(const std::filesystem::path& folder, uint32_t olderThanSeconds) {
    std::error_code ec;
    const auto now = std::filesystem::file_time_type::clock::now();
    for (auto it = std::filesystem::directory_iterator(folder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const size_t mark = name.rfind(kTemporaryMark);
        if (name.empty() || name[0] != '.' || mark == std::string::npos) {
            continue;
        }
        // ".<target>.tmp-<pid>-XXXXXX": a writer that is gone left it, or it is old.
        const long pid = std::strtol(name.c_str() + mark + kTemporaryMark.size(), nullptr, 10);
        const bool writerGone = pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
        std::error_code timeError;
        const auto written = std::filesystem::last_write_time(it->path(), timeError);
        const bool old = !timeError && now - written > std::chrono::seconds(olderThanSeconds);
        if (writerGone || old) {
            std::error_code removeError;
            std::filesystem::remove(it->path(), removeError);
        }
    }
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, size_t maxBytes) {
    // Opened without waiting: a FIFO put where a document belongs would otherwise hold the
    // open until some writer came. Only a regular file is read.
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > maxBytes) {
        close(fd);
        return std::nullopt;
    }
    std::string text;
    text.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        if (text.size() + static_cast<size_t>(n) > maxBytes) {
            close(fd);
            return std::nullopt;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return text;
}

}  // namespace marlo::platform
