#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/SettingsKey.h"
#include "support/TempDir.h"

namespace marlo::platform {
namespace {

constexpr const char* kKey = "Software\\Marlo Gear";

TEST(SettingsStoreTest, OpeningAMissingKeyFailsUntilItIsCreated) {
    test::TempDir dir;
    SettingsStore store(dir / "registry.json");
    EXPECT_FALSE(store.OpenKey(kKey));
    EXPECT_FALSE(std::filesystem::exists(dir / "registry.json")) << "opening creates nothing";

    ASSERT_TRUE(store.CreateKey(kKey));
    const auto key = store.OpenKey(kKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(store.OpenKey("Software\\Other"));
}

TEST(SettingsStoreTest, ValuesRoundTripByType) {
    test::TempDir dir;
    SettingsStore store(dir / "registry.json");
    const auto key = store.CreateKey(kKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->ReadDword("Language"));
    ASSERT_TRUE(key->WriteDword("Language", 15));
    ASSERT_TRUE(key->WriteDword("Big", 0xFFFFFFFF));
    ASSERT_TRUE(key->WriteString("Skin", "dark 暗"));
    EXPECT_EQ(key->ReadDword("Language"), 15u);
    EXPECT_EQ(key->ReadDword("Big"), 0xFFFFFFFFu);
    EXPECT_EQ(key->ReadString("Skin"), "dark 暗");
    EXPECT_FALSE(key->ReadString("Language")) << "a number is not a string";
    EXPECT_FALSE(key->ReadDword("Skin")) << "a string is not a number";

    // Another store object on the same file (another process) sees the same values.
    SettingsStore again(dir / "registry.json");
    EXPECT_EQ(again.OpenKey(kKey)->ReadDword("Language"), 15u);
}

TEST(SettingsStoreTest, ConcurrentWritersLoseNothing) {
    test::TempDir dir;
    SettingsStore store(dir / "registry.json");
    ASSERT_TRUE(store.CreateKey(kKey));
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&, t] {
            SettingsStore own(dir / "registry.json");
            const auto key = own.OpenKey(kKey);
            for (int i = 0; i < 10; ++i) {
                key->WriteDword("v" + std::to_string(t * 10 + i), static_cast<uint32_t>(i));
            }
        });
    }
    for (auto& w : writers) {
        w.join();
    }
    const auto key = store.OpenKey(kKey);
    for (int n = 0; n < 40; ++n) {
        EXPECT_EQ(key->ReadDword("v" + std::to_string(n)), static_cast<uint32_t>(n % 10)) << n;
    }
}

TEST(SettingsStoreTest, UnreadableStoreIsKeptBeforeItIsReplaced) {
    test::TempDir dir;
    const auto file = dir / "registry.json";
    std::ofstream(file) << "{ not json";
    SettingsStore store(file);
    EXPECT_FALSE(store.OpenKey(kKey));
    ASSERT_TRUE(store.CreateKey(kKey));
    bool backupFound = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().starts_with("registry.json.unreadable-")) {
            backupFound = ReadWholeFile(entry.path(), 100) == "{ not json";
        }
    }
    EXPECT_TRUE(backupFound);
}

}  // namespace
}  // namespace marlo::platform
