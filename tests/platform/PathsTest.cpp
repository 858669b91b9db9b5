#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/RuntimeDir.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace marlo::platform {
namespace {

TEST(PathsTest, UserFoldersFollowXdgAndAreCreated) {
    test::TempDir dir;
    test::ScopedEnv data("XDG_DATA_HOME", (dir / "data").string());
    test::ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());

    EXPECT_EQ(Paths::ProductFolder(), dir / "data" / "Marlo Gear");
    const auto keyboard = Paths::UserDataFolder("keyboard");
    EXPECT_EQ(keyboard, dir / "data" / "Marlo Gear" / "keyboard");
    EXPECT_TRUE(std::filesystem::is_directory(keyboard));
    EXPECT_EQ(Paths::ConfigFolder(), dir / "config" / "Marlo Gear");
    EXPECT_TRUE(std::filesystem::is_directory(Paths::ConfigFolder()));
}

TEST(PathsTest, WithoutXdgVariablesFoldersAreUnderHome) {
    test::TempDir dir;
    test::ScopedEnv home("HOME", dir.path().string());
    test::ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    test::ScopedEnv config("XDG_CONFIG_HOME", "relative/is/ignored");
    EXPECT_EQ(Paths::ProductFolder(), dir / ".local/share/Marlo Gear");
    EXPECT_EQ(Paths::ConfigFolder(), dir / ".config/Marlo Gear");
}

TEST(PathsTest, ResourceDirectoryOrder) {
    {
        test::ScopedEnv override_("MARLO_RESOURCE_DIR", "/opt/skin-test");
        EXPECT_EQ(Paths::ResourceDir(), "/opt/skin-test");
        EXPECT_EQ(Paths::DefaultDataDir(), "/opt/skin-test/DefaultData");
    }
    test::ScopedEnv unset("MARLO_RESOURCE_DIR", std::nullopt);
    // The build puts DefaultData beside the programs, so they run from the build tree as they
    // do installed.
    ASSERT_TRUE(std::filesystem::is_directory(Paths::ExecutableDir() / "DefaultData"));
    EXPECT_EQ(Paths::ResourceDir(), Paths::ExecutableDir());
}

// The runtime folder: under an absolute XDG_RUNTIME_DIR, private; a relative one is refused
// (never replaced by a folder in the shared temporary folder), and so is one others can reach.
TEST(PathsTest, RuntimeFolderIsPrivateAndNeverRelative) {
    test::TempDir dir;
    chmod(dir.path().c_str(), 0700);
    {
        test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().string());
        EXPECT_EQ(PrivateRuntimeDir(), dir / "marlo-gear");
        chmod((dir / "marlo-gear").c_str(), 0755);
        EXPECT_FALSE(PrivateRuntimeDir()) << "others may reach it";
    }
    test::ScopedEnv relative("XDG_RUNTIME_DIR", "run/user");
    EXPECT_FALSE(PrivateRuntimeDir());
}

}  // namespace
}  // namespace marlo::platform
