#include "hid/DeviceDiscovery.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <filesystem>
#include <iterator>
#include "hid/CommandChannel.h"

#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/DebugOutput.h"
#include "platform/MessageRegistry.h"
#include "sim/Descriptors.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"

namespace marlo::hid {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

struct Message {
    uint32_t message;
    size_t slot;
    steady_clock::time_point at;
};

// A main window stand-in: records what discovery tells it, checking the slot on arrival.
class DiscoveryTest : public ::testing::Test {
  protected:
    DiscoveryTest()
        : server_(dir_.path()),
          window_(loop_.CreateWindow([this](uint32_t m, uintptr_t w, intptr_t) -> intptr_t {
              if (m == DeviceDiscovery::kDeviceAttached) {
                  EXPECT_EQ(slots_.Get(w).attached, 1);
                  EXPECT_FALSE(slots_.Get(w).devicePath.empty());
              }
              if (m == DeviceDiscovery::kDeviceDetached) {
                  EXPECT_TRUE(slots_.Get(w).IsFree());
              }
              std::lock_guard lock(mutex_);
              messages_.push_back({m, w, steady_clock::now()});
              return 0;
          })),
          discovery_(slots_, loop_, window_, kInstance) {
        discovery_.SetRoot(dir_.path());
    }

    void Plug(const std::string& kind) { server_.Plug(kind, sim::SimCatalog::Create(kind)); }
    // Runs one pass on this (the UI) thread and delivers what it posted.
    std::vector<Message> Pass() {
        discovery_.RunPass(nullptr);
        loop_.ProcessPending();
        return Take();
    }
    // Runs the loop until a message of `type` arrives (at most a few seconds, so a busy
    // machine does not fail the test); everything received so far is returned.
    std::vector<Message> WaitFor(uint32_t type) {
        std::vector<Message> all;
        const auto deadline = steady_clock::now() + std::chrono::seconds(5);
        while (steady_clock::now() < deadline) {
            loop_.RunFor(20);
            for (Message& m : Take()) {
                all.push_back(m);
            }
            if (!Slots(all, type).empty()) {
                break;
            }
        }
        return all;
    }
    std::vector<Message> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(messages_, {});
    }
    static std::vector<size_t> Slots(const std::vector<Message>& messages, uint32_t type) {
        std::vector<size_t> slots;
        for (const auto& m : messages) {
            if (m.message == type) {
                slots.push_back(m.slot);
            }
        }
        return slots;
    }

    static inline const uint32_t kInstance = platform::MessageRegistry::Register("Marlo Gear");
    test::TempDir dir_;
    sim::SimServer server_;
    DeviceSlots slots_;
    platform::MessageLoop loop_;
    std::mutex mutex_;
    std::vector<Message> messages_;
    platform::WindowHandle window_;
    DeviceDiscovery discovery_;
};

TEST_F(DiscoveryTest, ClaimsTheSlotsOfSupportedCollectionsOnly) {
    Plug("mouse");
    Plug("keyboard-if0");  // the keyboard's IDs on interface 0
    Plug("receiver");      // rows 2-9 have no real IDs
    Plug("keyboard");
    Plug("headset");
    const auto messages = Pass();
    // Collection 3 is listed before collection 4, so slot 1 comes first.
    EXPECT_EQ(Slots(messages, DeviceDiscovery::kDeviceAttached), (std::vector<size_t>{1, 0, 10}));
    EXPECT_EQ(Slots(messages, kInstance).size(), 1u);
    EXPECT_EQ(slots_.Get(0).productCode, kProductKeyboard);
    EXPECT_NE(slots_.Get(0).devicePath.find("&col04"), std::string::npos);
    EXPECT_NE(slots_.Get(1).devicePath.find("&col03"), std::string::npos);
    EXPECT_EQ(slots_.Get(10).collectionNumber, 0);
    EXPECT_TRUE(Pass().empty()) << "nothing is claimed twice and the instance message comes once";
}

TEST_F(DiscoveryTest, PathMarkersAreReadInAnyCase) {
    const std::string upper = "/DEV/HIDRAW3#VID_320F&PID_5055&MI_01&COL04";
    EXPECT_EQ(PathVendorId(upper), 0x320F);
    EXPECT_EQ(PathProductId(upper), 0x5055);
    EXPECT_EQ(PathInterfaceNumber(upper), 1);
    EXPECT_EQ(PathCollectionNumber(upper), 4);
    EXPECT_TRUE(slots_.HasFreeSlotFor(0x320F, 0x5055, 1, 4));
    EXPECT_EQ(PathCollectionNumber("/dev/hidraw5#vid_0c76&pid_1630&mi_03"), 0);
    // The folder in front of the identity is not searched.
    EXPECT_EQ(PathVendorId("/home/vid_99/dev/hidraw0#pid_1"), 0);
}

TEST_F(DiscoveryTest, ReplugWithinOnePassKeepsTheSlotAndRemovalFreesEverySlot) {
    Plug("keyboard");
    Pass();
    server_.Unplug("keyboard");
    Plug("keyboard");
    EXPECT_TRUE(Pass().empty());
    EXPECT_EQ(slots_.Get(0).attached, 1);

    server_.Unplug("keyboard");
    auto detached = Slots(Pass(), DeviceDiscovery::kDeviceDetached);
    std::sort(detached.begin(), detached.end());
    EXPECT_EQ(detached, (std::vector<size_t>{0, 1}));
    EXPECT_TRUE(slots_.Get(0).IsFree());
}

TEST_F(DiscoveryTest, AnInterfaceThatCannotBeOpenedIsTriedAgain) {
    // A headset whose node exists in sysfs but cannot be connected to yet.
    const auto device = dir_ / "sys/class/hidraw/hidraw40/device";
    std::filesystem::create_directories(device);
    std::ofstream(device / "uevent") << "HID_ID=0003:00000C76:00001630\nHID_PHYS=usb-x/input3\n";
    const auto descriptor = sim::Descriptors::HeadsetInterface3();
    std::ofstream(device / "report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(descriptor.data()),
               static_cast<std::streamsize>(descriptor.size()));
    EXPECT_TRUE(Slots(Pass(), DeviceDiscovery::kDeviceAttached).empty());

    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, (dir_ / "dev/hidraw40").c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(fd, 4), 0);
    EXPECT_EQ(Slots(Pass(), DeviceDiscovery::kDeviceAttached), (std::vector<size_t>{10}));
    close(fd);
}

TEST_F(DiscoveryTest, WithoutDevicesTheInstanceMessageComesOnce) {
    ASSERT_TRUE(discovery_.Start());
    auto messages = WaitFor(kInstance);
    loop_.RunFor(300);  // a few more passes
    for (Message& m : Take()) {
        messages.push_back(m);
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, kInstance);
    EXPECT_EQ(discovery_.Stop(1000), platform::WorkerThread::StopResult::kEnded);
}

TEST_F(DiscoveryTest, ThreadReportsArrivalAndRemovalAndStopsAtOnce) {
    platform::DebugOutput::Capture capture;
    ASSERT_TRUE(discovery_.Start());
    WaitFor(kInstance);
    Plug("headset");
    auto messages = WaitFor(DeviceDiscovery::kDeviceAttached);
    ASSERT_EQ(Slots(messages, DeviceDiscovery::kDeviceAttached), (std::vector<size_t>{10}));

    server_.Unplug("headset");
    messages = WaitFor(DeviceDiscovery::kDeviceDetached);
    ASSERT_EQ(Slots(messages, DeviceDiscovery::kDeviceDetached), (std::vector<size_t>{10}));
    // How soon is the benchmark's to measure (bench_discovery).

    EXPECT_EQ(discovery_.Stop(1000), platform::WorkerThread::StopResult::kEnded);
    EXPECT_TRUE(capture.Contains("抓取设备线程设定退出"));
}

TEST_F(DiscoveryTest, StopEndsASendThatWaitsForABusyUiThread) {
    Plug("headset");
    ASSERT_TRUE(discovery_.Start());
    // The UI thread never runs its loop: the attach message waits until the stop, which still
    // ends the thread within its bound.
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_EQ(discovery_.Stop(1000), platform::WorkerThread::StopResult::kEnded);
}

TEST_F(DiscoveryTest, AFailedListingDoesNotEndDiscovery) {
    // The hidraw class folder is not a folder for a while: listing fails, discovery goes on.
    const auto classFolder = dir_ / "sys/class/hidraw";
    std::filesystem::remove_all(classFolder);
    std::ofstream(classFolder) << "not a folder";
    platform::DebugOutput::Capture capture;
    ASSERT_TRUE(discovery_.Start());
    const auto deadline = steady_clock::now() + std::chrono::seconds(5);
    while (!capture.Contains("device enumeration failed") && steady_clock::now() < deadline) {
        loop_.RunFor(20);
    }
    EXPECT_TRUE(capture.Contains("device enumeration failed"));
    std::filesystem::remove(classFolder);
    std::filesystem::create_directories(classFolder);
    Plug("headset");
    EXPECT_EQ(Slots(WaitFor(DeviceDiscovery::kDeviceAttached), DeviceDiscovery::kDeviceAttached),
              (std::vector<size_t>{10}));
    discovery_.Stop(1000);
}

size_t EntriesIn(const char* folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                             std::filesystem::directory_iterator()));
}

TEST_F(DiscoveryTest, PlugUnplugLoopGivesBackEveryDescriptorAndThread) {
    // Once, so that what lives for the whole process (the server's thread, caches) is there.
    ASSERT_TRUE(discovery_.Start());
    Plug("keyboard");
    WaitFor(DeviceDiscovery::kDeviceAttached);
    server_.Unplug("keyboard");
    WaitFor(DeviceDiscovery::kDeviceDetached);
    ASSERT_EQ(discovery_.Stop(1000), platform::WorkerThread::StopResult::kEnded);
    Take();
    const size_t fds = EntriesIn("/proc/self/fd");
    const size_t threads = EntriesIn("/proc/self/task");

    ASSERT_TRUE(discovery_.Start());
    for (int round = 0; round < 25; ++round) {
        Plug("keyboard");
        const auto attached =
            Slots(WaitFor(DeviceDiscovery::kDeviceAttached), DeviceDiscovery::kDeviceAttached);
        ASSERT_FALSE(attached.empty()) << "round " << round;
        // What the program does with an arrival: open the command path, talk, close.
        CommandChannel channel;
        channel.SetTimeouts(200, 200);
        for (const size_t slot : attached) {
            const std::string path = slots_.Get(slot).devicePath;
            if (path.find("col04") != std::string::npos) {
                ASSERT_TRUE(channel.OpenInterface(CommandChannel::Path::kCable, path));
                channel.SetConnected(true);
                EXPECT_EQ(channel.Begin(), kResultOk);
            }
        }
        server_.Unplug("keyboard");
        EXPECT_FALSE(
            Slots(WaitFor(DeviceDiscovery::kDeviceDetached), DeviceDiscovery::kDeviceDetached)
                .empty());
    }
    ASSERT_EQ(discovery_.Stop(1000), platform::WorkerThread::StopResult::kEnded);
    // No more than before (one of the baseline may be a connection still closing then).
    EXPECT_LE(EntriesIn("/proc/self/fd"), fds) << "every descriptor is closed again";
    EXPECT_LE(EntriesIn("/proc/self/task"), threads) << "every thread has ended";
}

}  // namespace
}  // namespace marlo::hid
