#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "hid/HidInterface.h"
#include "sim/CommandDevice.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"

namespace marlo::hid {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class HidTransportTest : public ::testing::Test {
  protected:
    HidTransportTest() : server_(dir_.path()) {}

    std::string Plug(const std::string& kind, const std::string& name = "") {
        return *server_.Plug(name.empty() ? kind : name, sim::SimCatalog::Create(kind));
    }
    std::vector<std::string> Paths() {
        HidInterface lister;
        lister.SetRoot(dir_.path());
        EXPECT_TRUE(lister.Enumerate());
        std::vector<std::string> paths;
        while (auto p = lister.NextPath()) {
            paths.push_back(*p);
        }
        return paths;
    }
    std::string KeyboardPath(int collection) { return HidPath(collection); }
    std::string HidPath(int collection, const std::string& node = "hidraw0") {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, "#vid_320f&pid_5055&mi_01&col%02x", collection);
        return (dir_.path() / "dev" / node).string() + suffix;
    }
    static std::vector<uint8_t> Request(uint8_t command) {
        std::vector<uint8_t> r(64, 0);
        r[0] = 4;
        r[3] = command;
        r[1] = command;  // checksum of bytes 3..63
        return r;
    }

    test::TempDir dir_;
    sim::SimServer server_;
};

TEST_F(HidTransportTest, EnumeratesEveryCollectionInNodeOrder) {
    Plug("keyboard");
    Plug("headset");
    Plug("mouse");
    const auto paths = Paths();
    ASSERT_EQ(paths.size(), 6u);
    EXPECT_EQ(paths[0], KeyboardPath(1));
    EXPECT_EQ(paths[3], KeyboardPath(4));
    EXPECT_EQ(paths[4], (dir_.path() / "dev/hidraw1").string() + "#vid_0c76&pid_1630&mi_03");
    EXPECT_EQ(paths[5], (dir_.path() / "dev/hidraw2").string() + "#vid_046d&pid_c077&mi_00");
}

TEST_F(HidTransportTest, ListsMoreThanEightInterfacesAndGrowsByDoubling) {
    for (int i = 0; i < 3; ++i) {
        Plug("keyboard", "kb" + std::to_string(i));
    }
    for (int i = 0; i < 12; ++i) {
        Plug("mouse", "m" + std::to_string(i));
    }
    HidInterface lister;
    lister.SetRoot(dir_.path());
    ASSERT_TRUE(lister.Enumerate());
    EXPECT_EQ(lister.pathCount(), 24u);
    EXPECT_EQ(lister.pathCapacity(), 32u);
    // Nodes come in numeric order: hidraw10 after hidraw9.
    std::vector<int> nodes;
    while (auto p = lister.NextPath()) {
        const size_t at = p->find("/hidraw") + 7;
        nodes.push_back(std::stoi(p->substr(at, p->find('#') - at)));
    }
    ASSERT_EQ(nodes.size(), 24u);
    EXPECT_TRUE(std::is_sorted(nodes.begin(), nodes.end()));
    EXPECT_EQ(nodes.back(), 14);
    EXPECT_FALSE(lister.NextPath());
    lister.FreePaths();
    EXPECT_FALSE(lister.NextPath());
}

TEST_F(HidTransportTest, NodesThatVanishOrCannotBeReadAreSkipped) {
    Plug("keyboard");
    // A sysfs entry whose device files are gone (a device leaving mid-listing) and one whose
    // descriptor is garbage.
    std::filesystem::create_directories(dir_ / "sys/class/hidraw/hidraw7/device");
    std::filesystem::create_directories(dir_ / "sys/class/hidraw/hidraw8/device");
    std::ofstream(dir_ / "sys/class/hidraw/hidraw8/device/uevent")
        << "HID_ID=0003:00000001:00000002\n";
    std::ofstream(dir_ / "sys/class/hidraw/hidraw8/device/report_descriptor") << "\xC0\xC0";
    EXPECT_EQ(Paths().size(), 4u);

    HidInterface lister;
    lister.SetRoot(dir_ / "no-such-root");
    EXPECT_TRUE(lister.Enumerate());
    EXPECT_EQ(lister.pathCount(), 0u);
}

TEST_F(HidTransportTest, OpenLearnsIdentityAndCapabilitiesOfItsCollection) {
    Plug("keyboard");
    HidInterface hid;
    ASSERT_TRUE(hid.Open(KeyboardPath(4), true, true, true, false));
    EXPECT_EQ(hid.attributes().vendorId, 0x320F);
    EXPECT_EQ(hid.attributes().productId, 0x5055);
    EXPECT_EQ(hid.attributes().version, 0x0105);
    EXPECT_EQ(hid.capabilities().usagePage, 0xFF1C);
    EXPECT_EQ(hid.capabilities().usage, 0x92);
    EXPECT_EQ(hid.capabilities().inputReportLength, 64);
    EXPECT_EQ(hid.capabilities().outputReportLength, 64);
    EXPECT_EQ(hid.capabilities().inputValueCaps, 1);
    EXPECT_EQ(hid.interfaceNumber(), 1u);
    EXPECT_EQ(hid.collectionNumber(), 4u);
    EXPECT_EQ(hid.inputReport().size(), 64u);

    EXPECT_FALSE(hid.Open(KeyboardPath(5), true, true, true, false)) << "no fifth collection";
    EXPECT_FALSE(hid.IsOpen());
    EXPECT_FALSE(
        hid.Open((dir_ / "dev/hidraw9").string() + "#vid_1&pid_2", true, true, true, false));
}

TEST_F(HidTransportTest, ReadsOnlyTheReportsOfItsOwnCollection) {
    Plug("keyboard");
    HidInterface commands;
    HidInterface events;
    ASSERT_TRUE(commands.Open(KeyboardPath(4), true, true, true, false));
    ASSERT_TRUE(events.Open(KeyboardPath(3), true, false, true, false));

    const auto request = Request(0x03);
    uint32_t n = 0;
    ASSERT_EQ(commands.Write(request.data(), 64, &n, 1000), 1);
    EXPECT_EQ(n, 64u);
    ASSERT_TRUE(server_.InjectEvent("keyboard", 0x1101));

    uint8_t answer[64] = {};
    ASSERT_EQ(commands.Read(answer, 64, &n, 1000), 1);
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(answer[0], 4);
    EXPECT_EQ(answer[3], 0x03);
    EXPECT_EQ(commands.Read(answer, 64, &n, 50), 0) << "the event is not a command answer";
    EXPECT_EQ(commands.lastReadFailure(), HidInterface::Failure::kTimeout);
    EXPECT_EQ(n, 0u);

    uint8_t event[3] = {};
    ASSERT_EQ(events.Read(event, 3, &n, 1000), 1);
    EXPECT_EQ(n, 3u);
    ASSERT_TRUE(events.DecodeInput(event, n));
    EXPECT_EQ(events.inputEntries()[0].usages[0], 0x1101);
    EXPECT_EQ(events.Read(event, 3, &n, 50), 0) << "the command answer is not an event";

    EXPECT_EQ(events.Write(request.data(), 64, &n, 100), 0) << "opened without write access";
}

TEST_F(HidTransportTest, AReadThatMayNotWaitTakesTheWaitingReportsUntilOneOfItsCollection) {
    Plug("keyboard");
    HidInterface commands;
    HidInterface events;
    ASSERT_TRUE(commands.Open(KeyboardPath(4), true, true, true, false));
    ASSERT_TRUE(events.Open(KeyboardPath(3), true, false, true, false));
    EXPECT_FALSE(events.WaitForInput(30));
    EXPECT_EQ(events.lastReadFailure(), HidInterface::Failure::kTimeout);

    // Two answers of the command collection, then an event: all wait on the events handle.
    const auto request = Request(0x03);
    uint32_t n = 0;
    uint8_t answer[64] = {};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(commands.Write(request.data(), 64, &n, 1000), 1);
        ASSERT_EQ(commands.Read(answer, 64, &n, 1000), 1);
    }
    ASSERT_TRUE(server_.InjectEvent("keyboard", 0x1101));
    ASSERT_TRUE(events.WaitForInput(1000)) << "a report of any collection is input";
    std::this_thread::sleep_for(milliseconds(50));  // the event is there too

    uint8_t event[3] = {};
    ASSERT_EQ(events.Read(event, 3, &n, 0), 1) << "the answers before it are passed over";
    ASSERT_TRUE(events.DecodeInput(event, n));
    EXPECT_EQ(events.inputEntries()[0].usages[0], 0x1101);
    EXPECT_EQ(events.Read(event, 3, &n, 0), 0);
    EXPECT_EQ(events.lastReadFailure(), HidInterface::Failure::kTimeout);
    EXPECT_FALSE(events.WaitForInput(30)) << "nothing is left waiting";
}

TEST_F(HidTransportTest, UnlimitedReadReturnsAtOnceWhenClosedOrReopenedElsewhere) {
    Plug("keyboard");
    for (const bool reopen : {false, true}) {
        HidInterface events;
        ASSERT_TRUE(events.Open(KeyboardPath(3), true, false, true, false));
        int result = -1;
        steady_clock::time_point returned;
        std::thread reader([&] {
            uint8_t buffer[3];
            uint32_t n = 0;
            result = events.Read(buffer, 3, &n, platform::kInfinite);
            returned = steady_clock::now();
        });
        std::this_thread::sleep_for(milliseconds(50));
        const auto start = steady_clock::now();
        if (reopen) {
            EXPECT_TRUE(events.Open(KeyboardPath(3), true, false, true, false));
        } else {
            events.Close();
        }
        reader.join();
        EXPECT_EQ(result, 0);
        EXPECT_LT(returned - start, milliseconds(500));
        EXPECT_EQ(events.IsOpen(), reopen);
    }
}

TEST_F(HidTransportTest, UnpluggedDeviceFailsWithinTheTimeoutAndIsNoLongerPresent) {
    Plug("keyboard");
    HidInterface hid;
    ASSERT_TRUE(hid.Open(KeyboardPath(4), true, true, true, false));
    EXPECT_TRUE(HidInterface::IsPresent(KeyboardPath(4)));

    uint8_t buffer[64];
    uint32_t n = 0;
    std::thread unplugger([&] {
        std::this_thread::sleep_for(milliseconds(30));
        server_.Unplug("keyboard");
    });
    EXPECT_EQ(hid.Read(buffer, 64, &n, 5000), 0) << "a read ends when the device leaves";
    unplugger.join();
    EXPECT_EQ(hid.lastReadFailure(), HidInterface::Failure::kDisconnected);
    EXPECT_FALSE(HidInterface::IsPresent(KeyboardPath(4)));

    const auto request = Request(0x01);
    const auto start = steady_clock::now();
    EXPECT_EQ(hid.Write(request.data(), 64, &n, 1000), 0);
    EXPECT_LT(steady_clock::now() - start, milliseconds(1500));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(hid.Open(KeyboardPath(4), true, true, true, false));
}

TEST_F(HidTransportTest, ReportsWithoutIdsArriveWithAZeroInFront) {
    Plug("mouse");
    HidInterface mouse;
    ASSERT_TRUE(mouse.Open((dir_ / "dev/hidraw0").string() + "#vid_046d&pid_c077&mi_00", true,
                           false, true, false));
    EXPECT_EQ(mouse.capabilities().inputReportLength, 5);
    ASSERT_TRUE(server_.SendInput("mouse", {0x01, 0x02, 0x03, 0x04}));
    uint8_t report[5] = {};
    uint32_t n = 0;
    ASSERT_EQ(mouse.Read(report, 5, &n, 1000), 1);
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(report[0], 0);
    EXPECT_EQ(report[1], 0x01);
    EXPECT_EQ(report[4], 0x04);
}

}  // namespace
}  // namespace marlo::hid
