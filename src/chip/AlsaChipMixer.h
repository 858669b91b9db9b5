#pragma once

#include <memory>

#include "chip/ChipMixer.h"

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

namespace marlo::chip {

// The volumes of a real sound card, through its ALSA mixer: the microphone is the capture
// volume and switch of the card's microphone control, the monitor the playback volume and
// switch of that control (its side tone). A card without such a control answers nothing.
class AlsaChipMixer : public IChipMixer {
  public:
    // Opens the mixer of card `card` ("hw:N"); a mixer that cannot be opened answers nothing.
    explicit AlsaChipMixer(int card);
    ~AlsaChipMixer() override;
    AlsaChipMixer(const AlsaChipMixer&) = delete;
    AlsaChipMixer& operator=(const AlsaChipMixer&) = delete;

    bool opened() const { return mixer_ != nullptr; }
    std::optional<Range> GainRange(Control control) override;
    std::optional<double> Level(Control control) override;
    bool SetLevel(Control control, double level) override;
    std::optional<double> Gain(Control control) override;
    bool SetGain(Control control, double db) override;
    std::optional<bool> Muted(Control control) override;
    bool SetMuted(Control control, bool muted) override;

  private:
    // The element of a control: capture volume for the microphone, playback volume for the
    // monitor; preferring the names a USB headset's microphone goes by.
    snd_mixer_elem_t* Element(Control control);

    snd_mixer_t* mixer_ = nullptr;
};

}  // namespace marlo::chip
