#pragma once

#include "chip/ChipMixer.h"
#include "chip/ChipPropertyStore.h"

namespace marlo::chip {

// The volumes of a card that is not the machine's own (the simulator's), kept in the card's
// property store: nothing of the machine's sound cards is touched. Gains run from -12 dB to
// +30 dB in steps of 0.5 dB, as the chip's microphone amplifier; a level is the gain's place
// on that range. A card starts at 75 % and not muted.
class StoredChipMixer : public IChipMixer {
  public:
    explicit StoredChipMixer(ChipPropertyStore& store) : store_(store) {}

    std::optional<Range> GainRange(Control control) override;
    std::optional<double> Level(Control control) override;
    bool SetLevel(Control control, double level) override;
    std::optional<double> Gain(Control control) override;
    bool SetGain(Control control, double db) override;
    std::optional<bool> Muted(Control control) override;
    bool SetMuted(Control control, bool muted) override;

  private:
    ChipPropertyStore& store_;
};

}  // namespace marlo::chip
