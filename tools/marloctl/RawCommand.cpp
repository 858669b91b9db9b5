// marloctl raw: one operation of the command channel on one interface, for people probing a
// device and for scripts.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "hid/CommandChannel.h"
#include "platform/NumberText.h"

namespace marloctl {
namespace {

constexpr const char* kRawUsage =
    "raw PATH [--receiver] [--mode N] [--block-size N] OP [ARGS]\n"
    "  OP: begin | end | info | read OFFSET LEN | write OFFSET HEX | read-block |\n"
    "      write-block HEX [--bank B] | write-mask INDEX HEX | stream HEX | write-macros HEX |\n"
    "      write-shoot HEX | read-status OFFSET LEN | read-slots | lighting-control | link";

std::optional<uint32_t> Number(std::string_view text) {
    return marlo::platform::NumberText::Parse<uint32_t>(text);
}

}  // namespace

int RawCommand(Args args) {
    if (args.empty()) {
        return Usage(kRawUsage);
    }
    const std::string path(args[0]);
    bool viaReceiver = false;
    std::optional<uint32_t> mode;
    std::optional<uint32_t> blockSize;
    std::optional<uint32_t> bank;
    std::vector<std::string_view> op;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--receiver") {
            viaReceiver = true;
        } else if ((args[i] == "--mode" || args[i] == "--block-size" || args[i] == "--bank") &&
                   i + 1 < args.size()) {
            const auto n = Number(args[i + 1]);
            if (!n) {
                return Usage(kRawUsage);
            }
            (args[i] == "--mode" ? mode : args[i] == "--bank" ? bank : blockSize) = n;
            ++i;
        } else {
            op.push_back(args[i]);
        }
    }
    if (op.empty()) {
        return Usage(kRawUsage);
    }
    if (blockSize && *blockSize > marlo::hid::CommandChannel::kMaxBlockSize) {
        return Usage("--block-size takes at most 512");
    }
    // Arguments of the operation, checked before anything is opened.
    const std::string_view name = op[0];
    auto arity = [&](size_t n) { return op.size() == n + 1; };
    const std::optional<uint32_t> first = op.size() > 1 ? Number(op[1]) : std::nullopt;
    const std::optional<uint32_t> second = op.size() > 2 ? Number(op[2]) : std::nullopt;
    const uint32_t a1 = first.value_or(0);
    const uint32_t a2 = second.value_or(0);
    std::optional<std::vector<uint8_t>> hex;
    // Offsets are the protocol's 16 bits: an area that would run past them is refused, never
    // wrapped or cut.
    constexpr uint32_t kOffsets = 0x10000;
    if (name == "write" || name == "write-mask") {
        hex = arity(2) ? marlo::platform::NumberText::FromHex(op[2]) : std::nullopt;
        if (!hex || !first) {
            return Usage(kRawUsage);
        }
        if (name == "write-mask" && (a1 > 0xFF || hex->size() > 56)) {
            return Usage("write-mask takes an INDEX of 0 to 255 and at most 56 bytes");
        }
        if (name == "write" && (a1 >= kOffsets || hex->size() > kOffsets - a1)) {
            return Usage("write: OFFSET and the bytes after it must lie within 0 to 0xFFFF");
        }
    } else if (name == "write-block" || name == "stream" || name == "write-macros" ||
               name == "write-shoot") {
        hex = arity(1) ? marlo::platform::NumberText::FromHex(op[1]) : std::nullopt;
        if (!hex) {
            return Usage(kRawUsage);
        }
    } else if (name == "read" || name == "read-status") {
        if (!arity(2) || !first || !second) {
            return Usage(kRawUsage);
        }
        if (a1 >= kOffsets || a2 > kOffsets - a1) {
            return Usage("read: OFFSET and LEN must lie within 0 to 0xFFFF");
        }
        if (name == "read-status" && a2 > 56) {
            return Usage("read-status reads at most 56 bytes (one report)");
        }
    } else if (!arity(0)) {
        return Usage(kRawUsage);
    }

    marlo::hid::CommandChannel channel;
    if (!channel.OpenInterface(viaReceiver ? marlo::hid::CommandChannel::Path::kReceiver
                                           : marlo::hid::CommandChannel::Path::kCable,
                               path)) {
        std::fprintf(stderr, "marloctl: cannot open %s\n", path.c_str());
        return kRefused;
    }
    channel.SetConnected(true);
    if (mode) {
        channel.SetMode(static_cast<int>(*mode));
    }
    if (blockSize) {
        channel.SetBlockSize(*blockSize);  // within its range: checked above
    }

    std::vector<uint8_t> data;
    uint16_t version = 0;
    bool showVersion = false;
    int result;
    if (name == "begin") {
        result = channel.Begin();
    } else if (name == "end") {
        result = channel.End();
    } else if (name == "info") {
        data.resize(32);
        result = channel.ReadInfo(std::span<uint8_t, 32>(data.data(), 32), &version);
        showVersion = true;
    } else if (name == "read") {
        data.resize(a2);
        result = channel.ReadSettings(static_cast<uint16_t>(a1), data);
    } else if (name == "write") {
        result = channel.WriteSettings(static_cast<uint16_t>(a1), *hex);
    } else if (name == "read-block") {
        data.resize(channel.blockSize());
        result = channel.ReadBlock(data);
    } else if (name == "write-block") {
        result = channel.WriteBlock(*hex, static_cast<int>(bank.value_or(0)));
    } else if (name == "write-mask") {
        result = channel.WriteMask(static_cast<uint8_t>(a1), *hex);
    } else if (name == "stream") {
        result = channel.StreamLighting(*hex);
    } else if (name == "write-macros") {
        result = channel.WriteMacros(*hex);
    } else if (name == "write-shoot") {
        result = channel.WriteShoot(*hex);
    } else if (name == "read-status") {
        data.resize(a2);
        result = channel.ReadStatus(static_cast<uint16_t>(a1), data);
    } else if (name == "read-slots") {
        data.resize(channel.blockSize() / 3);
        result = channel.ReadSlots(data);
    } else if (name == "lighting-control") {
        result = channel.LightingControl();
    } else if (name == "link") {
        result = channel.CheckLink();
    } else {
        return Usage(kRawUsage);
    }
    std::printf("result %d\n", result);
    if (!data.empty() || name == "read" || name == "read-status") {
        if (showVersion) {
            std::printf("data %s version %04x\n", marlo::platform::NumberText::ToHex(data).c_str(),
                        version);
        } else {
            std::printf("data %s\n", marlo::platform::NumberText::ToHex(data).c_str());
        }
    }
    return result == marlo::hid::kResultOk ? kOk : kRefused;
}

}  // namespace marloctl
