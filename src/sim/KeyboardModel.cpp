#include "sim/KeyboardModel.h"

#include <algorithm>

#include "sim/KeyboardKeys.h"
#include "hid/CommandReport.h"
#include "platform/NumberText.h"

namespace marlo::sim {

using Request = CommandDevice::Request;

namespace {

// Slot k holds the key of position (k * 37 + 11) mod 126: a fixed shuffle of the 126 keyed
// positions (37 and 126 share no factor, so every position gets exactly one slot).
int PositionOfSlot(int slot) {
    return (slot * 37 + 11) % KeyboardModel::kKeySlots;
}

}  // namespace

uint8_t KeyboardModel::FactorySlotOfPosition(int position) {
    for (int slot = 0; slot < kKeySlots; ++slot) {
        if (PositionOfSlot(slot) == position) {
            return static_cast<uint8_t>(slot);
        }
    }
    return 0xFF;
}

KeyboardModel::KeyboardModel(bool withFn, TableRead tableRead)
    : info_(34, 0),
      factoryTable_(kKeySlots * 3u, 0),
      block_(kBlockSize, 0),
      slots_(kKeySlots, 0),
      settings_(kSettingsSize, 0),
      macros_(kMacroUnits * 128u, 0),
      frame_(kKeySlots * 3u, 0),
      mask_(kMaskSize, 0),
      status_(kStatusSize, 0),
      shoot_(1024, 0),
      tableRead_(tableRead) {
    info_[0] = 0x0F;
    info_[1] = 0x32;  // vendor, low and high byte
    info_[5] = kKeySlots;
    info_[6] = kMacroUnits;
    info_[32] = kFirmwareVersion & 0xFF;
    info_[33] = kFirmwareVersion >> 8;
    const auto& codes = FactoryKeyCodes();
    for (int slot = 0; slot < kKeySlots; ++slot) {
        const uint32_t code = codes[static_cast<size_t>(PositionOfSlot(slot))];
        block_[slot * 3u] = static_cast<uint8_t>(code >> 16);
        block_[slot * 3u + 1] = static_cast<uint8_t>(code >> 8);
        block_[slot * 3u + 2] = static_cast<uint8_t>(code);
        // The per-slot table: the slot's row and column on the key matrix.
        slots_[static_cast<size_t>(slot)] = static_cast<uint8_t>((slot / 21) << 5 | (slot % 21));
    }
    // Slots of positions without a key (code 20 00 00) hold codes of the keyboard's own that
    // match no position, as on the real keyboard.
    for (int slot = 0, spare = 0; slot < kKeySlots; ++slot) {
        uint8_t* code = &block_[slot * 3u];
        if (code[0] == 0x20 && code[1] == 0 && code[2] == 0) {
            code[0] = 0xD0;
            code[1] = 0xF0;
            code[2] = static_cast<uint8_t>(++spare);
        }
    }
    if (!withFn) {
        // The Fn key moves to slot 113 (whose key takes the Fn key's slot) and answers with a
        // code no position has.
        const uint8_t fn = FactorySlotOfPosition(110);
        std::swap_ranges(block_.begin() + fn * 3, block_.begin() + fn * 3 + 3,
                         block_.begin() + kFnFallbackSlot * 3);
        block_[kFnFallbackSlot * 3u] = 0xA0;
        block_[kFnFallbackSlot * 3u + 1] = 0xFF;
        block_[kFnFallbackSlot * 3u + 2] = 0x00;
    }
    std::copy(block_.begin(), block_.begin() + kKeySlots * 3, factoryTable_.begin());
    // Lighting block of slot 0: mode 1, full brightness, speed 2, colour red.
    settings_[1] = 1;
    settings_[2] = 4;
    settings_[3] = 2;
    settings_[6] = 0xFF;
    status_ = {0x01, 0x64, 0x00, 0x00, 0x02, 0x00};
}

Report KeyboardModel::WriteMacros(Request request) {
    if (CommandDevice::Offset(request) == 0) {
        // The image's header: signature AA 55, then its total length, which must fit.
        const size_t total = request[10] | (request[11] << 8);
        if (CommandDevice::DataLength(request) < 4 || request[8] != 0xAA || request[9] != 0x55 ||
            total > macros_.size()) {
            return CommandDevice::AnswerFor(request, CommandDevice::kRefused);
        }
    }
    return CommandDevice::WriteArea(request, macros_);
}

Report KeyboardModel::Answer(Request request) {
    switch (request[3]) {
        case hid::kCmdBegin:
            ++begins_;
            return CommandDevice::AnswerFor(request, 0);
        case hid::kCmdEnd:
            ++ends_;
            return CommandDevice::AnswerFor(request, 0);
        case hid::kCmdReadInfo:
            return CommandDevice::ReadArea(request, info_);
        case hid::kCmdReadSettings:
            return CommandDevice::ReadArea(request, settings_);
        case hid::kCmdWriteSettings:
            return CommandDevice::WriteArea(request, settings_);
        case hid::kCmdReadBlock:
            return tableRead_ == TableRead::kWritten
                       ? CommandDevice::ReadArea(request, std::span(block_).first(factoryTable_.size()))
                       : CommandDevice::ReadArea(request, factoryTable_);
        case hid::kCmdWriteBlock:
            return CommandDevice::WriteArea(request, block_);
        case hid::kCmdWriteMask:
            return CommandDevice::WriteArea(request, mask_);
        case hid::kCmdLightingStream:
            ++frameChunks_;
            return CommandDevice::WriteArea(request, frame_);
        case hid::kCmdWriteMacros:
            return WriteMacros(request);
        case hid::kCmdWriteShoot:
            return CommandDevice::WriteArea(request, shoot_);
        case hid::kCmdReadStatus:
            return CommandDevice::ReadArea(request, status_);
        case hid::kCmdReadSlots:
            return CommandDevice::ReadArea(request, slots_);
        case hid::kCmdLightingControl:
            ++lightingControls_;
            return CommandDevice::AnswerFor(request, 0);
        case hid::kCmdLinkCheck: {
            Report answer = CommandDevice::AnswerFor(request, 0);
            answer[8] = 0xFF;  // reached over the cable: always linked
            return answer;
        }
        default:
            return CommandDevice::AnswerFor(request, CommandDevice::kRefused);
    }
}

void KeyboardModel::Dump(Json::Value& dump) const {
    dump["info"] = platform::NumberText::ToHex(info_);
    dump["keySlots"] = kKeySlots;
    dump["keyTable"] = platform::NumberText::ToHex(std::span(block_).first(kKeySlots * 3u));
    dump["slotKeys"] = platform::NumberText::ToHex(factoryTable_);
    dump["slotTable"] = platform::NumberText::ToHex(slots_);
    dump["settings"] = platform::NumberText::ToHex(settings_);
    dump["macroMemory"] = platform::NumberText::ToHex(macros_);
    dump["lastFrame"] = platform::NumberText::ToHex(frame_);
    dump["frameChunks"] = frameChunks_;
    dump["selectionMask"] = platform::NumberText::ToHex(mask_);
    dump["status"] = platform::NumberText::ToHex(status_);
    dump["begins"] = begins_;
    dump["ends"] = ends_;
    dump["lightingControls"] = lightingControls_;
}

}  // namespace marlo::sim
