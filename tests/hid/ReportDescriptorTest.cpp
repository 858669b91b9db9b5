#include "hid/ReportDescriptor.h"

#include <gtest/gtest.h>

#include "hid/ReportDecoder.h"
#include "sim/Descriptors.h"

namespace marlo::hid {
namespace {

using Bytes = std::vector<uint8_t>;

// The boot keyboard of the USB HID class definition's appendix: no report IDs.
const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// A consumer control with a report ID and a 10-bit usage array, as media keys often are.
const Bytes kConsumerControl = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x19,
                                0x00, 0x2A, 0x3C, 0x02, 0x15, 0x00, 0x26, 0x3C, 0x02,
                                0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

// A vendor collection without report IDs: 8 bytes each way.
const Bytes kVendorWithoutIds = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x01,
                                 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08,
                                 0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0};

struct DescriptorCase {
    const char* name;
    Bytes bytes;
    size_t collections;
    size_t index;  // the collection checked
    uint16_t page, usage, in, out, feature;
    bool reportIds;
};

TEST(ReportDescriptorTest, RealWorldDescriptors) {
    const DescriptorCase cases[] = {
        {"boot keyboard", kBootKeyboard, 1, 0, 0x0001, 0x0006, 9, 2, 0, false},
        {"mouse", sim::Descriptors::Mouse(), 1, 0, 0x0001, 0x0002, 5, 0, 0, false},
        {"consumer control", kConsumerControl, 1, 0, 0x000C, 0x0001, 3, 0, 0, true},
        {"keyboard events", sim::Descriptors::KeyboardInterface1(), 4, 2, 0x000C, 0x0001, 3, 0, 0,
         true},
        {"keyboard commands", sim::Descriptors::KeyboardInterface1(), 4, 3, 0xFF1C, 0x0092, 64, 64,
         0, true},
        {"headset", sim::Descriptors::HeadsetInterface3(), 1, 0, 0x000C, 0x0001, 64, 64, 0, true},
        {"vendor without ids", kVendorWithoutIds, 1, 0, 0xFF00, 0x0001, 9, 9, 0, false},
        {"keyboard keys", sim::Descriptors::KeyboardInterface0(), 1, 0, 0x0001, 0x0006, 9, 2, 0,
         false},
    };
    for (const DescriptorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto d = ReportDescriptor::Parse(c.bytes);
        ASSERT_TRUE(d);
        ASSERT_EQ(d->collections().size(), c.collections);
        const TopLevelCollection& col = d->collections()[c.index];
        EXPECT_EQ(col.usagePage, c.page);
        EXPECT_EQ(col.usage, c.usage);
        EXPECT_EQ(col.reportLength[0], c.in);
        EXPECT_EQ(col.reportLength[1], c.out);
        EXPECT_EQ(col.reportLength[2], c.feature);
        EXPECT_EQ(d->usesReportIds(), c.reportIds);
    }
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRefused) {
    const std::pair<const char*, Bytes> cases[] = {
        {"item runs past the end", {0x05, 0x01, 0x09}},
        {"long item runs past the end", {0xFE, 0x10, 0x00, 0x01}},
        {"pop without push", {0xB4}},
        {"end collection without collection", {0xC0}},
        {"report ID 0", {0x85, 0x00}},
        {"report count too large",
         {0xA1, 0x01, 0x75, 0x08, 0x97, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x02}},
        {"reserved item type", {0x0C}},
        {"too long", Bytes(ReportDescriptor::kMaxBytes + 1, 0)},
    };
    for (const auto& [name, bytes] : cases) {
        std::string error;
        EXPECT_FALSE(ReportDescriptor::Parse(bytes, &error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    Bytes deep;
    for (int i = 0; i < 100; ++i) {
        deep.insert(deep.end(), {0xA1, 0x01});
    }
    EXPECT_FALSE(ReportDescriptor::Parse(deep)) << "nesting is bounded";
}

TEST(ReportDescriptorTest, DecodesArraysBitmapsAndSignedValues) {
    {  // Boot keyboard: left shift held, keys A (4) and B (5) down.
        const auto d = ReportDescriptor::Parse(kBootKeyboard);
        ReportDecoder decoder(d->collections()[0]);
        const auto& entries = decoder.entries(ReportType::kInput);
        ASSERT_EQ(entries.size(), 2u);  // modifier bitmap, key array
        const Bytes report = {0x00, 0x02, 0x00, 0x04, 0x05, 0, 0, 0, 0};
        ASSERT_TRUE(decoder.Decode(ReportType::kInput, report));
        EXPECT_EQ(entries[0].usages[0], 0xE1);
        EXPECT_EQ(entries[0].usages[1], 0);
        EXPECT_EQ(entries[1].usages[0], 4);
        EXPECT_EQ(entries[1].usages[1], 5);
        EXPECT_EQ(entries[1].usages[2], 0);
        EXPECT_TRUE(entries[1].filled);
    }
    {  // Mouse: button 2, x = -3, y = +5, wheel = -1.
        const auto d = ReportDescriptor::Parse(sim::Descriptors::Mouse());
        ReportDecoder decoder(d->collections()[0]);
        const auto& entries = decoder.entries(ReportType::kInput);
        ASSERT_EQ(entries.size(), 4u);  // buttons, X, Y, wheel
        ASSERT_TRUE(decoder.Decode(ReportType::kInput, Bytes{0x00, 0x02, 0xFD, 0x05, 0xFF}));
        EXPECT_EQ(entries[0].usages[0], 2);
        EXPECT_EQ(entries[1].usage, 0x30);
        EXPECT_EQ(entries[1].rawValue, 0xFDu);
        EXPECT_EQ(entries[1].scaledValue, -3);
        EXPECT_EQ(entries[2].scaledValue, 5);
        EXPECT_EQ(entries[3].usage, 0x38);
        EXPECT_EQ(entries[3].scaledValue, -1);
        EXPECT_FALSE(decoder.Decode(ReportType::kInput, Bytes{0x00, 0x02}))
            << "a report too short for its values fails";
    }
    {  // The keyboard's event collection: the 16-bit code is the first usage.
        const auto d = ReportDescriptor::Parse(sim::Descriptors::KeyboardInterface1());
        ReportDecoder decoder(d->collections()[2]);
        ASSERT_TRUE(decoder.Decode(ReportType::kInput, Bytes{0x03, 0x01, 0x11}));
        EXPECT_EQ(decoder.entries(ReportType::kInput)[0].usages[0], 0x1101);
        // A report of another ID leaves the entries as they were.
        ASSERT_TRUE(decoder.Decode(ReportType::kInput, Bytes{0x04, 0x02, 0x04}));
        EXPECT_EQ(decoder.entries(ReportType::kInput)[0].usages[0], 0x1101);
    }
}

TEST(ReportDescriptorTest, ExtractBitsStaysInsideTheData) {
    const Bytes data = {0xAB, 0xCD};
    EXPECT_EQ(ExtractBits(data, 0, 16), 0xCDABu);
    EXPECT_EQ(ExtractBits(data, 4, 8), 0xDAu);
    EXPECT_EQ(ExtractBits(data, 12, 8), 0x0Cu);
    EXPECT_EQ(ExtractBits(data, 1000, 32), 0u);
}

}  // namespace
}  // namespace marlo::hid
