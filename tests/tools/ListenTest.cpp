// Windows of other programs: `marloctl listen` registers one, and what the program sends to it
// (a broadcast, a copy-data block to a window found by its title) arrives as lines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/OtherWindows.h"
#include "support/Listener.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

using marlo::platform::EndpointRequest;
using marlo::platform::OtherWindows;

const std::string kBin = MARLO_BIN_DIR;

TEST(ListenTest, AListenerReceivesBroadcastsAndBlocksSentToItsTitle) {
    marlo::test::TempDir dir;
    std::filesystem::create_directories(dir / "run");
    chmod((dir / "run").c_str(), 0700);
    marlo::test::ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "run").string());
    marlo::test::Listener listener(kBin, "WorkTool");
    ASSERT_TRUE(listener.registered()) << "the listener registered its window";
    const auto window = OtherWindows::Find("WorkTool", "");
    ASSERT_TRUE(window);

    EndpointRequest owner;
    owner.message = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
    owner.wParam = 1;
    owner.lParam = 1;
    EXPECT_EQ(OtherWindows::Broadcast(owner), 1u);
    EndpointRequest block;
    block.kind = EndpointRequest::Kind::kCopyData;
    block.dataKind = 5;
    block.data = std::string("\x02\x03\x00\x02", 4);
    EXPECT_TRUE(OtherWindows::Send(*window, block));

    EXPECT_EQ(listener.ReadLines(2, 5000),
              "message {4695579F-999A-41d4-9FAF-EFFCE93EBF16} 1 1\n"
              "copydata 5 02030002\n")
        << "each line as it came, flushed at once";

    EXPECT_EQ(listener.Stop(), 0);
    EXPECT_FALSE(OtherWindows::Find("WorkTool", "")) << "the window is gone with its program";
    EXPECT_FALSE(OtherWindows::Send(*window, block)) << "a send to it fails, quietly";
    EXPECT_EQ(OtherWindows::Broadcast(owner), 0u);
}

}  // namespace
