// Device answers through the command channel: an emulated node answers each request with
// answers cut from the input (none, one or two, of any content), and every command of the
// channel (chosen by the input's first byte, on the cable or through the receiver) must end
// with one of its result codes, its buffers untouched past their ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>
#include <filesystem>
#include <mutex>
#include <span>
#include <vector>

#include "hid/CommandChannel.h"
#include "hid/CommandReport.h"
#include "sim/Descriptors.h"
#include "sim/SimServer.h"

namespace {

using marlo::sim::Report;

// Answers from a script: for each request, a count byte (0..2) and that many 64-byte answers.
class ScriptedDevice : public marlo::sim::SimDevice {
  public:
    ScriptedDevice() {
        info_.kind = "scripted";
        info_.vendorId = 0x320F;
        info_.productId = 0x5055;
        info_.interfaceNumber = 1;
        info_.productName = "scripted";
        info_.reportDescriptor = marlo::sim::Descriptors::KeyboardInterface1();
    }
    void SetScript(std::vector<uint8_t> script) {
        std::lock_guard lock(mutex_);
        script_ = std::move(script);
        position_ = 0;
    }
    const marlo::sim::SimDeviceInfo& info() const override { return info_; }
    std::vector<Report> HandleOutput(std::span<const uint8_t> request) override {
        std::lock_guard lock(mutex_);
        std::vector<Report> answers;
        if (position_ >= script_.size()) {
            // The script is used up: the device refuses at once, so the rest of the run costs
            // no waiting (only what the script leaves unanswered is waited for).
            Report refused(64, 0);
            refused[0] = 4;
            refused[3] = request.size() > 3 ? request[3] : 0;
            refused[7] = 0xFF;
            answers.push_back(refused);
            return answers;
        }
        const int count = script_[position_++] % 3;
        for (int i = 0; i < count; ++i) {
            Report answer(64, 0);
            answer[0] = 4;
            for (size_t b = 1; b < 64 && position_ < script_.size(); ++b) {
                answer[b] = script_[position_++];
            }
            answers.push_back(answer);
        }
        return answers;
    }
    Json::Value Dump() const override { return Json::Value(); }

  private:
    marlo::sim::SimDeviceInfo info_;
    std::mutex mutex_;
    std::vector<uint8_t> script_;
    size_t position_ = 0;
};

struct Rig {
    Rig()
        : root(std::filesystem::temp_directory_path() /
               ("marlo-fuzz-answers-" + std::to_string(getpid()))),
          server(root) {
        auto owned = std::make_unique<ScriptedDevice>();
        device = owned.get();
        const auto node = server.Plug("scripted", std::move(owned));
        if (!node) {
            std::abort();
        }
        const std::string path = (root / "dev" / *node).string() + "#vid_320f&pid_5055&mi_01&col04";
        for (auto* channel : {&cable, &receiver}) {
            if (!channel->OpenInterface(marlo::hid::CommandChannel::Path::kCable, path) ||
                !channel->OpenInterface(marlo::hid::CommandChannel::Path::kReceiver, path)) {
                std::abort();
            }
            channel->SetConnected(true);
            channel->SetTimeouts(1, 1);
        }
        cable.SetMode(1);
        receiver.SetMode(2);
    }
    std::filesystem::path root;
    marlo::sim::SimServer server;
    ScriptedDevice* device = nullptr;
    marlo::hid::CommandChannel cable;
    marlo::hid::CommandChannel receiver;
};

void Check(int result) {
    switch (result) {
        case 1:
        case 0:
        case -1:
        case -101:
        case -102:
        case -103:
        case -201:
            return;
        default:
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    if (size == 0) {
        return 0;
    }
    // The first byte picks the path and the command: one command a run, since an answer that
    // is not the command's is waited past until its time is up, and a run of every command
    // would spend its time waiting.
    marlo::hid::CommandChannel& channel = (data[0] & 1) != 0 ? rig.receiver : rig.cable;
    rig.device->SetScript(std::vector<uint8_t>(data + 1, data + size));
    uint8_t info[32];
    uint16_t version = 0;
    std::vector<uint8_t> settings(70);
    std::vector<uint8_t> status(8);
    switch ((data[0] >> 1) % 6) {
        case 0:
            Check(channel.ReadInfo(info, &version));
            break;
        case 1:
            Check(channel.ReadSettings(0x10, settings));
            break;
        case 2:
            Check(channel.WriteSettings(0x10, settings));
            break;
        case 3:
            Check(channel.ReadStatus(2, status));
            break;
        case 4:
            Check(channel.StreamLighting(settings));
            break;
        default:
            Check(channel.CheckLink());
            break;
    }
    return 0;
}
