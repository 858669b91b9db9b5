#include "devices/KeyboardBlock.h"

#include <algorithm>

namespace marlo::devices {

int KeyboardBlock::ModeIndexOf(int deviceValue, std::span<const int> modeValues) {
    const auto it = std::find(modeValues.begin(), modeValues.end(), deviceValue);
    return it == modeValues.end() ? -1 : static_cast<int>(it - modeValues.begin());
}

KeyboardBlock::Bytes KeyboardBlock::Build(const profiles::LightInfo& light,
                                          const profiles::KeyboardSystemStages& stages,
                                          std::span<const int> modeValues) {
    Bytes b{};
    const int value = light.selectItem < modeValues.size() ? modeValues[light.selectItem] : 0;
    b[1] = value == 29 || value == 30 ? kHostStreamed : static_cast<uint8_t>(value);
    b[2] = light.light;
    b[3] = static_cast<uint8_t>(kMaxSpeed - std::min(light.speed, kMaxSpeed));
    b[4] = light.fx;
    b[5] = light.multiColor;
    b[6] = light.red;
    b[7] = light.green;
    b[8] = light.blue;
    b[18] = light.zzccLedMode;
    b[19] = static_cast<uint8_t>(stages.wFlag);
    b[20] = static_cast<uint8_t>(stages.key6Flag);
    b[21] = static_cast<uint8_t>(stages.winFlag);
    b[22] = static_cast<uint8_t>(stages.pollingRate);
    b[25] = light.customGroup;
    return b;
}

void KeyboardBlock::Read(Bytes& block, uint8_t activeSlot, std::span<const int> modeValues,
                         profiles::LightInfo& light, profiles::KeyboardSystemStages& stages) {
    block[0] = activeSlot;
    block[16] = 0;
    if (block[1] != kHostStreamed) {
        if (const int index = ModeIndexOf(block[1], modeValues); index >= 0) {
            block[1] = static_cast<uint8_t>(index);
            light.selectItem = static_cast<uint8_t>(index);
        }
    }
    light.light = block[2];
    // A speed byte past the slowest reads as the slowest rather than wrapping round.
    light.speed = static_cast<uint8_t>(kMaxSpeed - std::min(block[3], kMaxSpeed));
    light.fx = block[4];
    light.multiColor = block[5];
    light.red = block[6];
    light.green = block[7];
    light.blue = block[8];
    light.zzccLedMode = block[18];
    light.customGroup = block[25];
    stages.key6Flag = block[20];
    stages.winFlag = block[21];
    stages.wFlag = block[19];
}

}  // namespace marlo::devices
