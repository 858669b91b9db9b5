#include "hid/CommandChannel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <span>
#include <thread>

#include "platform/DebugOutput.h"
#include "sim/KeyboardDevice.h"
#include "sim/ReceiverDevice.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"

namespace marlo::hid {
namespace {

using sim::CommandDevice;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

class CommandChannelTest : public ::testing::Test {
  protected:
    CommandChannelTest() : server_(dir_.path(), Options()) {
        server_.Plug("keyboard", sim::SimCatalog::Create("keyboard"));
        server_.Plug("receiver", sim::SimCatalog::Create("receiver"));
        channel_.SetTimeouts(200, 200);
        EXPECT_TRUE(channel_.cable().Open(Path("hidraw0", 0x5055), true, true, true, false));
        EXPECT_TRUE(channel_.receiver().Open(Path("hidraw1", 0x5088), true, true, true, false));
        channel_.SetConnected(true);
    }

    static sim::SimServer::Options Options() {
        sim::SimServer::Options options;
        options.lateAnswerMs = 900;
        return options;
    }
    std::string Path(const std::string& node, uint16_t product) {
        char id[64];
        std::snprintf(id, sizeof id, "#vid_320f&pid_%04x&mi_01&col04", product);
        return (dir_.path() / "dev" / node).string() + id;
    }
    // What the device received, as (command, offset, length).
    std::vector<CommandDevice::LoggedRequest> Log(const std::string& name) {
        std::vector<CommandDevice::LoggedRequest> log;
        server_.WithDevice(
            name, [&](sim::SimDevice& d) { log = dynamic_cast<CommandDevice&>(d).requestLog(); });
        return log;
    }
    // A channel of its own on a node of the server, on the cable, with short waits.
    void OpenOn(CommandChannel& channel, const std::string& node) {
        ASSERT_TRUE(channel.OpenInterface(CommandChannel::Path::kCable, Path(node, 0x5055)));
        channel.SetConnected(true);
        channel.SetMode(1);
        channel.SetTimeouts(200, 200);
    }
    std::vector<uint8_t> Settings(const std::string& name) {
        std::vector<uint8_t> s;
        server_.WithDevice(name, [&](sim::SimDevice& d) {
            s = dynamic_cast<sim::KeyboardDevice&>(d).model().settings();
        });
        return s;
    }

    test::TempDir dir_;
    sim::SimServer server_;
    CommandChannel channel_;
};

TEST_F(CommandChannelTest, InfoIsChunkedByTheModeOfThePath) {
    struct Case {
        const char* name;
        int mode;  // 0: no SetMode
        const char* device;
        std::vector<std::pair<uint16_t, uint8_t>> reports;  // offset, length
    };
    const Case cases[] = {
        {"cable before SetMode", 0, "keyboard", {{0, 24}, {24, 10}}},
        {"cable after SetMode(1)", 1, "keyboard", {{0, 34}}},
        {"receiver", 2, "receiver", {{0, 24}, {24, 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandChannel& ch = channel_;
        if (c.mode != 0) {
            ch.SetMode(c.mode);
        }
        const size_t before = Log(c.device).size();
        uint8_t info[32];
        uint16_t version = 0;
        ASSERT_EQ(ch.ReadInfo(info, &version), kResultOk);
        EXPECT_EQ(info[5], sim::KeyboardModel::kKeySlots);
        EXPECT_EQ(version, sim::KeyboardModel::kFirmwareVersion);
        const auto log = Log(c.device);
        ASSERT_EQ(log.size() - before, c.reports.size());
        for (size_t i = 0; i < c.reports.size(); ++i) {
            EXPECT_EQ(log[before + i].command, kCmdReadInfo);
            EXPECT_EQ(log[before + i].offset, c.reports[i].first);
            EXPECT_EQ(log[before + i].length, c.reports[i].second);
        }
    }
}

TEST_F(CommandChannelTest, EdgeCasesThatSendNothing) {
    uint8_t none[1];
    EXPECT_EQ(channel_.ReadSettings(0, std::span<uint8_t>(none, 0)), kResultOk);
    const uint8_t block[3] = {1, 2, 3};
    EXPECT_EQ(channel_.WriteBlock(block, 1), kResultBadBank);
    EXPECT_EQ(channel_.CheckLink(), kResultOk) << "the cable path needs no link check";
    EXPECT_TRUE(Log("keyboard").empty());

    EXPECT_EQ(channel_.SetBlockSize(513), 0);
    EXPECT_EQ(channel_.blockSize(), 512);
    EXPECT_EQ(channel_.SetBlockSize(378), 1);
    EXPECT_EQ(channel_.blockSize(), 378);

    channel_.SetConnected(false);
    EXPECT_EQ(channel_.Begin(), kResultNone);
    EXPECT_TRUE(Log("keyboard").empty());
}

TEST_F(CommandChannelTest, ReadsAndWritesTheDeviceAreas) {
    channel_.SetMode(1);
    const std::vector<uint8_t> block = {0, 7, 3, 2, 1, 1, 10, 20, 30};
    ASSERT_EQ(channel_.Begin(), kResultOk);
    ASSERT_EQ(channel_.WriteSettings(25, block), kResultOk);
    ASSERT_EQ(channel_.End(), kResultOk);
    std::vector<uint8_t> back(block.size());
    ASSERT_EQ(channel_.ReadSettings(25, back), kResultOk);
    EXPECT_EQ(back, block);

    // The key table: slot order is not position order.
    ASSERT_EQ(channel_.SetBlockSize(sim::KeyboardModel::kKeySlots * 3), 1);
    std::vector<uint8_t> keys(sim::KeyboardModel::kKeySlots * 3);
    ASSERT_EQ(channel_.ReadBlock(keys), kResultOk);
    const uint8_t escSlot = sim::KeyboardModel::FactorySlotOfPosition(0);
    EXPECT_NE(escSlot, 0);
    EXPECT_EQ(keys[escSlot * 3u], 0x20);
    EXPECT_EQ(keys[escSlot * 3u + 2], 0x29);
    std::vector<uint8_t> slots(sim::KeyboardModel::kKeySlots);
    EXPECT_EQ(channel_.ReadSlots(slots), kResultOk);

    uint8_t status[6];
    ASSERT_EQ(channel_.ReadStatus(0, status), kResultOk);
    EXPECT_EQ(status[4], 0x02);
}

TEST_F(CommandChannelTest, DeviceErrorsAndAChunkedWriteStoppingAtTheFailingChunk) {
    channel_.SetMode(1);
    // 150 bytes at offset 150 of a 256-byte area: the second chunk runs past its end.
    std::vector<uint8_t> data(150, 0x5A);
    EXPECT_EQ(channel_.WriteSettings(150, data), kResultStatusError);
    const auto log = Log("keyboard");
    ASSERT_EQ(log.size(), 2u) << "the third chunk is never sent";
    EXPECT_EQ(log[1].offset, 206);
    const auto settings = Settings("keyboard");
    EXPECT_EQ(settings[150], 0x5A);
    EXPECT_EQ(settings[205], 0x5A);
    EXPECT_EQ(settings[206], 0x00);

    server_.SetFault("keyboard", sim::Fault::kStatusFE, 1);
    EXPECT_EQ(channel_.Begin(), kResultStatusRefused);
    EXPECT_EQ(channel_.Begin(), kResultOk);
}

TEST_F(CommandChannelTest, ReceiverThatCannotReachTheKeyboardAnswersAtOnce) {
    channel_.SetMode(2);
    EXPECT_EQ(channel_.CheckLink(), kResultOk);
    server_.WithDevice("receiver", [](sim::SimDevice& d) {
        dynamic_cast<sim::ReceiverDevice&>(d).SetLinked(false);
    });
    // A wait for another read would take the whole minute; the answer ends it at once.
    channel_.SetTimeouts(200, 60000);
    const auto start = steady_clock::now();
    uint8_t data[4];
    EXPECT_EQ(channel_.ReadSettings(0, data), kResultNotLinked);
    EXPECT_LT(steady_clock::now() - start, milliseconds(30000)) << "no second read";
    EXPECT_EQ(channel_.CheckLink(), kResultNone);
}

TEST_F(CommandChannelTest, LateAnswerOfAnEarlierRequestIsSkippedOnce) {
    channel_.SetMode(1);
    server_.SetFault("keyboard", sim::Fault::kLate, 1);
    uint8_t info[32];
    EXPECT_EQ(channel_.ReadInfo(info, nullptr), kResultNone) << "two reads, nothing came";
    ASSERT_TRUE(channel_.cable().WaitForInput(5000)) << "the late answer is now waiting";
    std::vector<uint8_t> block(3);
    EXPECT_EQ(channel_.ReadSettings(1, block), kResultOk);
    EXPECT_EQ(block, (std::vector<uint8_t>{1, 4, 2})) << "the settings, not the info";
}

TEST_F(CommandChannelTest, WriteToAGoneDeviceFails) {
    server_.Unplug("keyboard");
    EXPECT_EQ(channel_.Begin(), kResultWriteFailed);
}

TEST_F(CommandChannelTest, ExchangeWritesTheRequestAndAnswerToTheDebugOutput) {
    platform::DebugOutput::Capture capture;
    ASSERT_EQ(channel_.Begin(), kResultOk);
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[1].substr(0, 14), "04 01 00 01   ");
    EXPECT_EQ(lines[3], "返回");
    EXPECT_EQ(lines[4].substr(0, 14), "04 00 00 01   ");
}

TEST_F(CommandChannelTest, LightingChunksAreDroppedWhileAnotherExchangeRuns) {
    channel_.SetMode(1);
    server_.SetFault("keyboard", sim::Fault::kNoAnswer, 1);
    platform::DebugOutput::Capture capture;
    std::thread slow([&] { channel_.Begin(); });  // waits 2 x 200 ms for an answer
    while (!channel_.busy()) {
        std::this_thread::yield();
    }
    const std::vector<uint8_t> frame(378, 0x40);
    EXPECT_EQ(channel_.StreamLighting(frame), kResultOk);
    slow.join();
    EXPECT_TRUE(capture.Contains("放弃灯光数据"));
    for (const auto& r : Log("keyboard")) {
        EXPECT_NE(r.command, kCmdLightingStream);
    }
    // Once the channel is free the stream goes out, in chunks of the cable's size.
    EXPECT_EQ(channel_.StreamLighting(frame), kResultOk);
    size_t chunks = 0;
    for (const auto& r : Log("keyboard")) {
        chunks += r.command == kCmdLightingStream;
    }
    EXPECT_EQ(chunks, 7u);
    // Through the receiver the stream is dropped silently.
    channel_.SetMode(2);
    EXPECT_EQ(channel_.StreamLighting(frame), kResultOk);
}

TEST_F(CommandChannelTest, CommandsFromSeveralThreadsKeepTheirChunksTogether) {
    channel_.SetMode(1);
    constexpr int kThreads = 4;
    constexpr int kRounds = 10;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread owns 60 bytes of the settings area: two chunks per write.
            const std::vector<uint8_t> data(60, static_cast<uint8_t>(t + 1));
            for (int i = 0; i < kRounds; ++i) {
                if (channel_.WriteSettings(static_cast<uint16_t>(t * 60), data) != kResultOk) {
                    ++failures;
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(failures.load(), 0);
    const auto log = Log("keyboard");
    ASSERT_EQ(log.size(), static_cast<size_t>(kThreads * kRounds * 2));
    for (size_t i = 0; i < log.size(); i += 2) {
        EXPECT_EQ(log[i + 1].offset, log[i].offset + 56) << "chunks of one write are adjacent";
        EXPECT_EQ(log[i].offset % 60, 0);
    }
}

// A keyboard that puts answers of another command (0x01, data 0x55) in front of its real
// answer, as late answers of earlier requests would arrive.
class StaleAnswersKeyboard : public sim::KeyboardDevice {
  public:
    explicit StaleAnswersKeyboard(int stale) : stale_(stale) {}
    std::vector<sim::Report> HandleOutput(std::span<const uint8_t> report) override {
        std::vector<sim::Report> answers = KeyboardDevice::HandleOutput(report);
        sim::Report other(64, 0x55);
        other[0] = 4;
        other[3] = kCmdBegin;
        other[7] = 0;
        answers.insert(answers.begin(), static_cast<size_t>(stale_), other);
        return answers;
    }

  private:
    int stale_;
};

// However many answers of other commands come first (up to what a hidraw handle keeps, 64),
// the command's own answer is found, and none of theirs is taken.
TEST_F(CommandChannelTest, AnswersOfOtherCommandsAreDroppedNeverTaken) {
    for (const int stale : {1, 2, 60}) {
        const std::string name = "stale" + std::to_string(stale);
        const auto node = server_.Plug(name, std::make_unique<StaleAnswersKeyboard>(stale));
        ASSERT_TRUE(node);
        CommandChannel channel;
        OpenOn(channel, *node);
        std::vector<uint8_t> block(3, 0xEE);
        platform::DebugOutput::Capture capture;
        EXPECT_EQ(channel.ReadSettings(1, block), kResultOk) << stale;
        EXPECT_TRUE(capture.Contains("dropped an answer of command 0x01"));
        EXPECT_EQ(block, (std::vector<uint8_t>{1, 4, 2})) << "its own answer, not theirs";
        EXPECT_EQ(channel.StreamLighting(std::vector<uint8_t>(10, 1)), kResultOk)
            << "the stream keeps the same rule";
    }
    // A device that only ever answers other commands gives no answer, in twice the wait.
    const auto node = server_.Plug("noisy", std::make_unique<StaleAnswersKeyboard>(1));
    ASSERT_TRUE(node);
    CommandChannel channel;
    OpenOn(channel, *node);
    server_.SetFault("noisy", sim::Fault::kWrongCode, 1);
    std::vector<uint8_t> block(3, 0xEE);
    EXPECT_EQ(channel.ReadSettings(1, block), kResultNone);
    EXPECT_EQ(block, (std::vector<uint8_t>(3, 0xEE))) << "none of their data is taken";
}

TEST_F(CommandChannelTest, StreamAndSettingsWritesNeverTakeEachOthersAnswers) {
    channel_.SetMode(1);
    std::atomic<bool> done{false};
    std::atomic<int> streamFailures{0};
    std::thread stream([&] {
        const std::vector<uint8_t> frame(378, 0x22);
        while (!done) {
            streamFailures += channel_.StreamLighting(frame) != kResultOk;
        }
    });
    int writeFailures = 0;
    int writes = 0;
    const std::vector<uint8_t> data(20, 0x33);
    for (const auto end = steady_clock::now() + milliseconds(1500); steady_clock::now() < end;) {
        writeFailures += channel_.WriteSettings(100, data) != kResultOk;
        ++writes;
    }
    done = true;
    stream.join();
    EXPECT_GT(writes, 50);
    EXPECT_EQ(writeFailures, 0);
    EXPECT_EQ(streamFailures.load(), 0);
}

// A device busy with something else takes nothing for a while: a command gets no answer in its
// time, and once the device takes requests again the channel is whole (the late answers are
// never taken for a later command's).
TEST_F(CommandChannelTest, ADeviceThatStallsAnswersNothingAndThenTheChannelGoesOn) {
    channel_.SetMode(1);
    ASSERT_TRUE(server_.Stall("keyboard", 700));
    std::vector<uint8_t> block(3);
    EXPECT_EQ(channel_.ReadSettings(1, block), kResultNone);
    ASSERT_TRUE(channel_.cable().WaitForInput(5000)) << "the stalled request is answered late";
    EXPECT_EQ(channel_.WriteSettings(1, std::vector<uint8_t>{7, 8, 9}), kResultOk);
    EXPECT_EQ(channel_.ReadSettings(1, block), kResultOk);
    EXPECT_EQ(block, (std::vector<uint8_t>{7, 8, 9}));
}

// Another program holds the device: the lighting stream gives way (its chunks are dropped, not
// waited for), and a command waits for the device and then goes through.
TEST_F(CommandChannelTest, WhileAnotherProgramHoldsTheDeviceTheStreamGivesWayAndCommandsWait) {
    channel_.SetMode(1);
    ASSERT_TRUE(server_.HoldLock("keyboard", 400));
    EXPECT_EQ(channel_.StreamLighting(std::vector<uint8_t>(378, 1)), kResultOk);
    for (const auto& r : Log("keyboard")) {
        EXPECT_NE(r.command, kCmdLightingStream) << "nothing streamed over the other program";
    }
    EXPECT_EQ(channel_.WriteSettings(0, std::vector<uint8_t>{5}), kResultOk)
        << "taken once the other program let go";
    EXPECT_EQ(Settings("keyboard")[0], 5);
}

TEST_F(CommandChannelTest, TwoProgramsOnOneDeviceReadOnlyTheirOwnAnswers) {
    // A second channel on the same node stands for another program (marloctl beside the
    // program): the device hands every answer to both handles.
    channel_.SetMode(1);
    CommandChannel other;
    ASSERT_TRUE(other.OpenInterface(CommandChannel::Path::kCable, Path("hidraw0", 0x5055)));
    other.SetConnected(true);
    other.SetMode(1);
    other.SetTimeouts(200, 200);
    ASSERT_EQ(channel_.WriteSettings(0, std::vector<uint8_t>(8, 0xA0)), kResultOk);
    ASSERT_EQ(channel_.WriteSettings(200, std::vector<uint8_t>(8, 0xB2)), kResultOk);
    std::atomic<int> wrong{0};
    auto reader = [&](CommandChannel& channel, uint16_t offset, uint8_t expected) {
        std::vector<uint8_t> data(8);
        for (int i = 0; i < 150; ++i) {
            if (channel.ReadSettings(offset, data) != kResultOk ||
                data != std::vector<uint8_t>(8, expected)) {
                ++wrong;
            }
        }
    };
    std::thread first([&] { reader(channel_, 0, 0xA0); });
    std::thread second([&] { reader(other, 200, 0xB2); });
    first.join();
    second.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace marlo::hid
