#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "support/TempDir.h"

namespace marlo::platform {
namespace {

constexpr int kChildSkipped = 77;

std::string Slurp(const std::filesystem::path& file) {
    return ReadWholeFile(file, 1 << 30).value_or("<missing>");
}

size_t FilesIn(const std::filesystem::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

// Runs `body` in a child process and returns its exit status (or 128 + signal).
template <typename Body>
int InChild(Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(AtomicFileTest, ReplacesContentAndKeepsTheMode) {
    test::TempDir dir;
    const auto file = dir / "profile.Json";
    ASSERT_TRUE(WriteFileAtomically(file, "old"));
    EXPECT_EQ(Slurp(file), "old");
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0644));
    chmod(file.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(file, "new content"));
    EXPECT_EQ(Slurp(file), "new content");
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0600));
    EXPECT_EQ(FilesIn(dir.path()), 1u) << "no temporary file is left behind";
}

TEST(AtomicFileTest, ReadOnlyFolderFailsAndKeepsTheOldDocument) {
    test::TempDir dir;
    const auto folder = dir / "ro";
    std::filesystem::create_directory(folder);
    const auto file = folder / "doc.Json";
    ASSERT_TRUE(WriteFileAtomically(file, "old"));
    chmod(dir.path().c_str(), 0755);
    chmod(folder.c_str(), 0555);
    // Root ignores folder permissions, so the write is tried as an unprivileged user.
    const int status = InChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            return kChildSkipped;
        }
        return WriteFileAtomically(file, "new") ? 1 : 0;
    });
    if (status == kChildSkipped) {
        GTEST_SKIP() << "cannot drop privileges";
    }
    EXPECT_EQ(status, 0) << "the write must report failure";
    EXPECT_EQ(Slurp(file), "old");
    EXPECT_EQ(FilesIn(folder), 1u);
}

TEST(AtomicFileTest, FullFileSystemFailsAndKeepsTheOldDocument) {
    test::TempDir dir;
    const auto mountPoint = dir / "small";
    std::filesystem::create_directory(mountPoint);
    const auto file = mountPoint / "doc.Json";
    // Each step's outcome is the child's exit code: 0 passed, 77 could not mount.
    const int status = InChild([&] {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return kChildSkipped;
        }
        if (!WriteFileAtomically(file, std::string(8000, 'o'))) {
            return 10;
        }
        {  // Fill the file system up to the last few kilobytes.
            std::ofstream filler(mountPoint / "filler", std::ios::binary);
            const std::string block(1024, 'x');
            for (int i = 0; i < 50; ++i) {
                filler.write(block.data(), block.size());
            }
        }
        if (WriteFileAtomically(file, std::string(40000, 'n'))) {
            return 11;  // had to fail: there is no room for it
        }
        if (Slurp(file) != std::string(8000, 'o')) {
            return 12;
        }
        if (FilesIn(mountPoint) != 2) {
            return 13;  // the temporary file was left behind
        }
        return 0;
    });
    if (status == kChildSkipped) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    EXPECT_EQ(status, 0);
}

TEST(AtomicFileTest, FileSizeLimitMidWriteFailsAndKeepsTheOldDocument) {
    test::TempDir dir;
    const auto file = dir / "doc.Json";
    ASSERT_TRUE(WriteFileAtomically(file, "old"));
    const int status = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        return WriteFileAtomically(file, std::string(100000, 'n')) ? 1 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Slurp(file), "old");
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(AtomicFileTest, KilledInTheMiddleOfASaveLoopLeavesOneWholeDocument) {
    test::TempDir dir;
    const auto file = dir / "doc.Json";
    const std::string a(300000, 'a');
    const std::string b(200000, 'b');
    ASSERT_TRUE(WriteFileAtomically(file, a));
    std::mt19937 random(12345);
    for (int round = 0; round < 40; ++round) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0;; ++i) {
                WriteFileAtomically(file, i % 2 ? a : b);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        const std::string seen = Slurp(file);
        ASSERT_TRUE(seen == a || seen == b) << "round " << round << ": " << seen.size() << " bytes";
    }
}

TEST(AtomicFileTest, ReadWholeFileRefusesMissingOversizedAndFolders) {
    test::TempDir dir;
    EXPECT_FALSE(ReadWholeFile(dir / "missing", 100));
    EXPECT_FALSE(ReadWholeFile(dir.path(), 100));
    ASSERT_TRUE(WriteFileAtomically(dir / "f", std::string(101, 'x')));
    EXPECT_FALSE(ReadWholeFile(dir / "f", 100));
    EXPECT_EQ(ReadWholeFile(dir / "f", 101)->size(), 101u);
    // Neither a FIFO (whose open would wait for a writer) nor a device behind a link is read.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ReadWholeFile(dir / "fifo", 100));
    std::filesystem::create_symlink("/dev/zero", dir / "zero");
    EXPECT_FALSE(ReadWholeFile(dir / "zero", 100));
}

}  // namespace
}  // namespace marlo::platform
