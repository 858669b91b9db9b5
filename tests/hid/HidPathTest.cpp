#include "hid/HidPath.h"

#include <gtest/gtest.h>

namespace marlo::hid {
namespace {

TEST(HidPathTest, InterfaceAndCollectionNumbers) {
    struct Case {
        const char* path;
        uint32_t interface;
        uint32_t collection;
    };
    const Case cases[] = {
        {"/dev/hidraw3#vid_320f&pid_5055&mi_01&col02", 1, 2},
        {"/dev/hidraw3#vid_320f&pid_5055&mi_01&col02#{4d1e55b2}", 1, 2},
        {"/DEV/HIDRAW3#VID_320F&PID_5055&MI_01&COL04", 1, 4},
        {"/dev/hidraw5#vid_0c76&pid_1630&mi_03", 3, 0},
        {"/dev/hidraw0", 0, 0},
        {"/dev/hidraw0#vid_320f&pid_5055&Mi_0a&cOl1F", 10, 31},
        {"/dev/hidraw0#&mi_&col", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HidPath::InterfaceNumber(c.path), c.interface) << c.path;
        EXPECT_EQ(HidPath::CollectionNumber(c.path), c.collection) << c.path;
    }
}

TEST(HidPathTest, MakeAndSplit) {
    const std::string path = HidPath::Make("/tmp/root", "hidraw12", 0x320F, 0x5055, 1, 4);
    EXPECT_EQ(path, "/tmp/root/dev/hidraw12#vid_320f&pid_5055&mi_01&col04");
    EXPECT_EQ(HidPath::Make("/", "hidraw5", 0x0C76, 0x1630, 3, 0),
              "/dev/hidraw5#vid_0c76&pid_1630&mi_03");
    EXPECT_EQ(HidPath::NodeName(path), "hidraw12");
    EXPECT_EQ(HidPath::Root(path), "/tmp/root");
    EXPECT_EQ(HidPath::DeviceNode(path), "/tmp/root/dev/hidraw12");
}

}  // namespace
}  // namespace marlo::hid
