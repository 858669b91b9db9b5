#include "devices/KeyboardLightingEngine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "devices/KeyboardLightGrid.h"

namespace marlo::devices {
namespace {

using Grid = KeyboardLightGrid;
constexpr double kCentreColumn = 11.0;
constexpr double kCentreRow = 2.5;
constexpr double kRowScale = 1.6;  // a row is taller than a column is wide
constexpr int kWheel = static_cast<int>(LightTables::kWheelSteps);
constexpr int kWave = static_cast<int>(LightTables::kWaveSteps);

size_t Wrap(int value, int steps) {
    return static_cast<size_t>(((value % steps) + steps) % steps);
}

double Distance(int column, int row, double fromColumn = kCentreColumn,
                double fromRow = kCentreRow) {
    return std::hypot(column - fromColumn, (row - fromRow) * kRowScale);
}

// The angle of a cell around the centre, in wheel steps (0-191).
int Angle(int column, int row) {
    const double a = std::atan2((row - kCentreRow) * kRowScale, column - kCentreColumn);
    return static_cast<int>((a + std::numbers::pi) / (2 * std::numbers::pi) * kWheel) % kWheel;
}

uint8_t Scale(int value, uint8_t level) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255) * level / 255);
}

// The order a snake runs through the grid: along each row, turning at its ends.
int SnakeCell(int index) {
    const int row = (index / Grid::kColumns) % Grid::kRows;
    const int along = index % Grid::kColumns;
    const int column = row % 2 == 0 ? along : Grid::kColumns - 1 - along;
    return row * Grid::kColumns + column;
}

// The game zones: movement keys, arrows, the function row and the numeric pad.
Rgb ZoneColour(size_t light, Rgb rest) {
    static constexpr uint8_t kMovement[] = {44, 64, 65, 66};
    static constexpr uint8_t kArrows[] = {96, 113, 114, 115};
    if (std::find(std::begin(kMovement), std::end(kMovement), light) != std::end(kMovement)) {
        return {255, 0, 0};
    }
    if (std::find(std::begin(kArrows), std::end(kArrows), light) != std::end(kArrows)) {
        return {0, 80, 255};
    }
    const auto cell = Grid::CellOf(light);
    if (cell && cell->row == 0) {
        return {0, 255, 60};
    }
    if (cell && cell->column >= 19) {
        return {255, 180, 0};
    }
    return rest;
}

}  // namespace

bool KeyboardLightingEngine::IsReactive(int mode) {
    return mode == 6 || mode == 10 || mode == 23 || mode == 26 || mode == 27;
}

void KeyboardLightingEngine::Setup(const KeyboardLightSettings& s,
                                   const std::vector<CustomColour>& custom) {
    elements_.fill(Element{});
    steps_ = 0;
    phase_ = 0;
    counter_ = 0;
    position_ = 0;
    heading_ = 1;
    spots_.clear();
    bars_.fill(0);
    random_ = kSeed;
    const uint8_t level = LightTables::Level(s.brightness);
    switch (s.mode) {
        case 13:  // the cross starts in the top left corner
        case 14:  // the beam starts pointing left
        case 18:  // no firework yet
        case 20:  // low tide
        case 22:  // the bar at the left end
            break;
        case 15:  // the aurora's first light, before it moves
            StepAurora(s);
            break;
        case 21:
            for (size_t i = 0; i < kLights && i < custom.size(); ++i) {
                if (Grid::CellOf(i)) {  // a light with no key under it stays dark
                    elements_[i] = Element{custom[i].colour, custom[i].on ? level : uint8_t{0},
                                           custom[i].on};
                }
            }
            break;
        case 42:  // the centre lights first
            for (int r = 0; r < Grid::kRows; ++r) {
                PutCell(static_cast<int>(kCentreColumn), r, ColourOr(s, 0), level);
            }
            break;
        default:  // the common set-up: the still modes show their colour at once
            if (IsStill(s.mode)) {
                StepStatic(s);
            }
            break;
    }
}

void KeyboardLightingEngine::SetElement(size_t light, const Element& element) {
    if (light < kLights) {
        elements_[light] = element;
    }
}

void KeyboardLightingEngine::Step(const KeyboardLightSettings& s, ReactiveKeys& keys) {
    ++steps_;
    switch (s.mode) {
        case 1: StepWave(s); break;
        case 2: StepBreathing(s); break;
        case 3: StepStatic(s); break;
        case 4: StepBlink(s); break;
        case 5: StepRipple(s); break;
        case 6:
        case 26: StepReactive(s, keys); break;
        case 7: StepRain(s); break;
        case 8:
        case 10: StepFade(s, keys); break;
        case 9:
        case 16: StepSpiral(s); break;
        case 13: StepCross(s); break;
        case 14: StepRadar(s); break;
        case 15: StepAurora(s); break;
        case 17: StepHeartbeat(s); break;
        case 18: StepFireworks(s); break;
        case 19: StepFlow(s); break;
        case 20: StepTide(s); break;
        case 21: StepCustom(s); break;
        case 22: StepScan(s); break;
        case 23:
        case 27: StepReactiveRipple(s, keys); break;
        case 24: StepColourCycle(s); break;
        case 28: StepLightning(s); break;
        case 29: StepMusic(s); break;
        case 30: StepHostAnimation(s); break;
        case 40: StepMeteor(s); break;
        case 41: StepSine(s); break;
        case 42: StepCentreWave(s); break;
        case 43: StepTwinkle(s); break;
        case 44: StepPulse(s); break;
        case 45: StepKaleidoscope(s); break;
        default: StepCommon(s); break;
    }
}

bool KeyboardLightingEngine::Advance(int steps, bool forward) {
    phase_ += forward ? 1 : -1;
    if (phase_ >= steps) {
        phase_ = 0;
        return true;
    }
    if (phase_ < 0) {
        phase_ = steps - 1;
        return true;
    }
    return false;
}

uint32_t KeyboardLightingEngine::Random() {
    // xorshift32: the same sequence after every set-up's seed, so that steps can be checked.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return random_;
}

void KeyboardLightingEngine::Put(size_t light, Rgb colour, uint8_t level) {
    if (light < kLights) {
        elements_[light].colour = colour;
        elements_[light].level = level;
    }
}

void KeyboardLightingEngine::PutCell(int column, int row, Rgb colour, uint8_t level) {
    const uint8_t light = Grid::At(column, row);
    if (light != Grid::kEmpty) {
        Put(light, colour, level);
    }
}

void KeyboardLightingEngine::FillAll(Rgb colour, uint8_t level) {
    for (int r = 0; r < Grid::kRows; ++r) {
        for (int c = 0; c < Grid::kColumns; ++c) {
            PutCell(c, r, colour, level);
        }
    }
}

void KeyboardLightingEngine::DimAll(int numerator, int denominator) {
    for (Element& e : elements_) {
        e.level = static_cast<uint8_t>(e.level * numerator / denominator);
    }
}

Rgb KeyboardLightingEngine::ColourOr(const KeyboardLightSettings& s, size_t hue) const {
    return s.multicolour ? LightTables::ColourWheel(hue) : s.colour;
}

void KeyboardLightingEngine::StepWave(const KeyboardLightSettings& s) {
    // Each column 7 entries further on: through the colour wheel with the multicolour flag,
    // else the colour at a level from the wave.
    Advance(kWheel, s.direction == 0);
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        const auto at = static_cast<size_t>(phase_ + 7 * c);
        for (int r = 0; r < Grid::kRows; ++r) {
            if (s.multicolour) {
                PutCell(c, r, LightTables::ColourWheel(at), level);
            } else {
                PutCell(c, r, s.colour, LightTables::Wave(at));
            }
        }
    }
}

void KeyboardLightingEngine::StepBreathing(const KeyboardLightSettings& s) {
    if (Advance(static_cast<int>(LightTables::kBreathingSteps), s.direction == 0)) {
        counter_ = (counter_ + 16) % kWheel;
    }
    FillAll(ColourOr(s, static_cast<size_t>(counter_)),
            Scale(LightTables::BreathingCurve(static_cast<size_t>(phase_)),
                  LightTables::Level(s.brightness)));
}

void KeyboardLightingEngine::StepStatic(const KeyboardLightSettings& s) {
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        for (int r = 0; r < Grid::kRows; ++r) {
            PutCell(c, r, ColourOr(s, static_cast<size_t>(c * 8)), level);
        }
    }
}

void KeyboardLightingEngine::StepBlink(const KeyboardLightSettings& s) {
    const bool on = steps_ % 8 < 4;
    if (on && steps_ % 8 == 0) {
        counter_ = (counter_ + 32) % kWheel;  // the next colour at each flash
    }
    FillAll(ColourOr(s, static_cast<size_t>(counter_)),
            on ? LightTables::Level(s.brightness) : uint8_t{0});
}

void KeyboardLightingEngine::StepRipple(const KeyboardLightSettings& s) {
    // Rings spreading from the middle of the board.
    Advance(kWave, s.direction == 0);
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        for (int r = 0; r < Grid::kRows; ++r) {
            const int ring = static_cast<int>(Distance(c, r) * 10);
            PutCell(c, r, ColourOr(s, Wrap(ring * 2 + phase_, kWheel)),
                    Scale(LightTables::Wave(Wrap(ring - 2 * phase_, kWave)), level));
        }
    }
}

void KeyboardLightingEngine::StepReactive(const KeyboardLightSettings& s, ReactiveKeys& keys) {
    // A pressed key lights and fades; with the trail (mode 26) its row neighbours glow too.
    const uint8_t level = LightTables::Level(s.brightness);
    const bool trail = s.mode == 26;
    elements_.fill(Element{});
    for (size_t light = 0; light < kLights; ++light) {
        const uint8_t value = keys.value(light);
        if (value == 0) {
            continue;
        }
        const auto cell = Grid::CellOf(light);
        const Rgb colour = ColourOr(s, cell ? static_cast<size_t>(cell->column * 8) : 0);
        elements_[light].colour = colour;
        elements_[light].level = std::max(elements_[light].level, Scale(value, level));
        if (trail && cell) {
            for (int d : {-1, 1}) {
                const uint8_t side = Grid::At(cell->column + d, cell->row);
                if (side != Grid::kEmpty && elements_[side].level < Scale(value / 2, level)) {
                    Put(side, colour, Scale(value / 2, level));
                }
            }
        }
        keys.Fade(light, trail ? 26 : 0);
    }
}

void KeyboardLightingEngine::StepRain(const KeyboardLightSettings& s) {
    // Drops fall down the columns, each leaving a fading trail.
    DimAll(5, 8);
    for (Spot& drop : spots_) {
        ++drop.row;
    }
    std::erase_if(spots_, [](const Spot& d) { return d.row >= Grid::kRows; });
    if (Random() % 3 == 0) {
        spots_.push_back(Spot{static_cast<int>(Random() % Grid::kColumns), 0, 0,
                              static_cast<uint8_t>(Random() % kWheel)});
    }
    for (const Spot& drop : spots_) {
        PutCell(drop.column, drop.row, ColourOr(s, drop.hue), LightTables::Level(s.brightness));
    }
}

void KeyboardLightingEngine::StepFade(const KeyboardLightSettings& s, ReactiveKeys& keys) {
    // Off, and fade out: what a press lit (fade out's keys) dims slowly to nothing.
    const uint8_t level = LightTables::Level(s.brightness);
    for (size_t light = 0; light < kLights; ++light) {
        const uint8_t value = keys.value(light);
        elements_[light].colour = ColourOr(s, light * 5);
        elements_[light].level = Scale(value, level);
        keys.Fade(light, 0);
    }
}

void KeyboardLightingEngine::StepSpiral(const KeyboardLightSettings& s) {
    // The colours turn around the middle of the board; spiral back turns the other way.
    const bool forward = (s.direction == 0) != (s.mode == 16);
    Advance(kWheel, forward);
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        for (int r = 0; r < Grid::kRows; ++r) {
            const int hue = Angle(c, r) + static_cast<int>(Distance(c, r) * 6) + phase_;
            if (s.multicolour) {
                PutCell(c, r, LightTables::ColourWheel(Wrap(hue, kWheel)), level);
            } else {
                PutCell(c, r, s.colour, Scale(LightTables::Wave(Wrap(hue / 2, kWave)), level));
            }
        }
    }
}

void KeyboardLightingEngine::StepCross(const KeyboardLightSettings& s) {
    // A line across and a line down, each sweeping on; white where they meet.
    const int column = static_cast<int>(steps_ % Grid::kColumns);
    const int row = static_cast<int>((steps_ / 4) % Grid::kRows);
    const uint8_t level = LightTables::Level(s.brightness);
    elements_.fill(Element{});
    for (int c = 0; c < Grid::kColumns; ++c) {
        PutCell(c, row, ColourOr(s, static_cast<size_t>(c * 8)), level);
    }
    for (int r = 0; r < Grid::kRows; ++r) {
        PutCell(column, r, ColourOr(s, static_cast<size_t>(96 + r * 16)), level);
    }
    PutCell(column, row, Rgb{255, 255, 255}, level);
}

void KeyboardLightingEngine::StepRadar(const KeyboardLightSettings& s) {
    // A beam sweeps round the middle, a fading trail behind it.
    Advance(kWheel, s.direction == 0);
    const uint8_t level = LightTables::Level(s.brightness);
    constexpr int kTrail = 48;
    for (int c = 0; c < Grid::kColumns; ++c) {
        for (int r = 0; r < Grid::kRows; ++r) {
            const int behind = static_cast<int>(
                Wrap(s.direction == 0 ? phase_ * 4 - Angle(c, r) : Angle(c, r) - phase_ * 4,
                     kWheel));
            const uint8_t at = behind < kTrail ? Scale(255 * (kTrail - behind) / kTrail, level)
                                               : uint8_t{0};
            PutCell(c, r, ColourOr(s, Wrap(phase_ * 4, kWheel)), at);
        }
    }
}

void KeyboardLightingEngine::StepAurora(const KeyboardLightSettings& s) {
    // Green, blue and violet curtains drifting slowly.
    Advance(kWheel * 2, s.direction == 0);
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        const int hue = 64 + LightTables::Wave(Wrap(c * 4 + phase_, kWave)) * 80 / 255;
        for (int r = 0; r < Grid::kRows; ++r) {
            const int shimmer = LightTables::Wave(Wrap(r * 16 + c * 3 + phase_ * 2, kWave));
            PutCell(c, r, LightTables::ColourWheel(static_cast<size_t>(hue)),
                    Scale(96 + shimmer * 159 / 255, level));
        }
    }
}

void KeyboardLightingEngine::StepHeartbeat(const KeyboardLightSettings& s) {
    // Two beats close together, then a rest.
    static constexpr uint8_t kBeat[16] = {255, 140, 50, 210, 120, 40, 10, 0,
                                          0,   0,   0,  0,   0,   0,  0,  0};
    const size_t at = steps_ % 16;
    if (at == 0) {
        counter_ = (counter_ + 24) % kWheel;
    }
    FillAll(ColourOr(s, static_cast<size_t>(counter_)),
            Scale(kBeat[at], LightTables::Level(s.brightness)));
}

void KeyboardLightingEngine::StepFireworks(const KeyboardLightSettings& s) {
    // Bursts open at random keys and fade.
    DimAll(1, 2);
    for (Spot& burst : spots_) {
        ++burst.age;
    }
    std::erase_if(spots_, [](const Spot& b) { return b.age > 5; });
    if (Random() % 5 == 0) {
        spots_.push_back(Spot{static_cast<int>(Random() % Grid::kColumns),
                              static_cast<int>(Random() % Grid::kRows), 0,
                              static_cast<uint8_t>(Random() % kWheel)});
    }
    const uint8_t level = LightTables::Level(s.brightness);
    for (const Spot& burst : spots_) {
        for (int c = 0; c < Grid::kColumns; ++c) {
            for (int r = 0; r < Grid::kRows; ++r) {
                if (std::abs(Distance(c, r, burst.column, burst.row) - burst.age) < 0.8) {
                    PutCell(c, r, ColourOr(s, burst.hue), Scale(255 * (6 - burst.age) / 6, level));
                }
            }
        }
    }
}

void KeyboardLightingEngine::StepFlow(const KeyboardLightSettings& s) {
    // Colour runs diagonally across the board.
    Advance(kWheel, s.direction == 0);
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        for (int r = 0; r < Grid::kRows; ++r) {
            const int at = c * 6 + r * 12 + phase_ * 2;
            if (s.multicolour) {
                PutCell(c, r, LightTables::ColourWheel(Wrap(at, kWheel)), level);
            } else {
                PutCell(c, r, s.colour, Scale(LightTables::Wave(Wrap(at, kWave)), level));
            }
        }
    }
}

void KeyboardLightingEngine::StepTide(const KeyboardLightSettings& s) {
    // The light rises from the bottom row and ebbs away again.
    Advance(kWave, true);
    const int height = LightTables::Wave(static_cast<size_t>(phase_)) * (Grid::kRows * 4) / 255;
    const uint8_t level = LightTables::Level(s.brightness);
    for (int r = 0; r < Grid::kRows; ++r) {
        const int fromBottom = (Grid::kRows - 1 - r) * 4;
        const int fill = std::clamp(height - fromBottom, 0, 4);
        for (int c = 0; c < Grid::kColumns; ++c) {
            PutCell(c, r, ColourOr(s, static_cast<size_t>(128 + r * 8)),
                    Scale(255 * fill / 4, level));
        }
    }
}

void KeyboardLightingEngine::StepCustom(const KeyboardLightSettings& s) {
    // The painted keys stay as they are, at the brightness set.
    const uint8_t level = LightTables::Level(s.brightness);
    for (Element& e : elements_) {
        e.level = e.selected || e.level != 0 ? level : uint8_t{0};
    }
}

void KeyboardLightingEngine::StepScan(const KeyboardLightSettings& s) {
    // A bar sweeps to one end and back.
    position_ += heading_;
    if (position_ <= 0 || position_ >= Grid::kColumns - 1) {
        heading_ = -heading_;
        position_ = std::clamp(position_, 0, Grid::kColumns - 1);
    }
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        const int away = std::abs(c - position_);
        for (int r = 0; r < Grid::kRows; ++r) {
            PutCell(c, r, ColourOr(s, static_cast<size_t>(position_ * 8)),
                    away < 3 ? Scale(255 * (3 - away) / 3, level) : uint8_t{0});
        }
    }
}

void KeyboardLightingEngine::StepReactiveRipple(const KeyboardLightSettings& s,
                                                ReactiveKeys& keys) {
    // A press sends a ring out from its key; the ripple trail (mode 27) leaves the disc lit.
    for (size_t light = 0; light < kLights; ++light) {
        if (keys.value(light) == 255) {
            if (const auto cell = Grid::CellOf(light)) {
                spots_.push_back(
                    Spot{cell->column, cell->row, 0, static_cast<uint8_t>(cell->column * 8)});
            }
        }
        keys.Fade(light, s.mode);
    }
    elements_.fill(Element{});
    const uint8_t level = LightTables::Level(s.brightness);
    const bool trail = s.mode == 27;
    for (const Spot& ripple : spots_) {
        for (int c = 0; c < Grid::kColumns; ++c) {
            for (int r = 0; r < Grid::kRows; ++r) {
                const double d = Distance(c, r, ripple.column, ripple.row);
                if (trail ? d <= ripple.age : std::abs(d - ripple.age) < 0.8) {
                    PutCell(c, r, ColourOr(s, ripple.hue), Scale(255 * (9 - ripple.age) / 9, level));
                }
            }
        }
    }
    for (Spot& ripple : spots_) {
        ++ripple.age;
    }
    std::erase_if(spots_, [](const Spot& r) { return r.age > 8; });
}

void KeyboardLightingEngine::StepColourCycle(const KeyboardLightSettings& s) {
    Advance(kWheel, s.direction == 0);
    FillAll(LightTables::ColourWheel(static_cast<size_t>(phase_)),
            LightTables::Level(s.brightness));
}

void KeyboardLightingEngine::StepLightning(const KeyboardLightSettings& s) {
    // Now and then the board flashes, a bolt brighter than the rest, and dies away.
    DimAll(3, 5);
    if (Random() % 12 == 0) {
        const uint8_t level = LightTables::Level(s.brightness);
        FillAll(s.multicolour ? Rgb{200, 200, 255} : s.colour, Scale(140, level));
        int column = static_cast<int>(Random() % Grid::kColumns);
        for (int r = 0; r < Grid::kRows; ++r) {
            PutCell(column, r, Rgb{255, 255, 255}, level);
            column = std::clamp(column + static_cast<int>(Random() % 3) - 1, 0,
                                Grid::kColumns - 1);
        }
    }
}

void KeyboardLightingEngine::StepMusic(const KeyboardLightSettings& s) {
    // A bar per column as high as its band of the sound; the bars fall back when it goes quiet
    // and the bottom row rests dimly lit.
    const uint8_t level = LightTables::Level(s.brightness);
    for (size_t c = 0; c < kBands; ++c) {
        bars_[c] = static_cast<uint8_t>(bars_[c] - LightTables::FadeStep(bars_[c], 29));
        bars_[c] = std::max(bars_[c], spectrum_[c]);
        const int rows = (bars_[c] * Grid::kRows + 254) / 255;
        for (int r = 0; r < Grid::kRows; ++r) {
            const int fromBottom = Grid::kRows - 1 - r;
            const Rgb colour = s.multicolour ? LightTables::ColourWheel(static_cast<size_t>(
                                                   64 - std::min(fromBottom * 13, 64)))
                                             : s.colour;
            const uint8_t at = fromBottom < rows ? level
                               : fromBottom == 0 ? static_cast<uint8_t>(level / 8)
                                                 : uint8_t{0};
            PutCell(static_cast<int>(c), r, colour, at);
        }
    }
    spectrum_.fill(0);  // a band counts once; the next comes with the next spectrum
}

void KeyboardLightingEngine::StepHostAnimation(const KeyboardLightSettings& s) {
    // Every key its own colour, drifting: a frame that changes on every step.
    ++phase_;
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        for (int r = 0; r < Grid::kRows; ++r) {
            const int hue = c * 9 + r * 17 + phase_ * 3 + LightTables::Wave(Wrap(c * 4 + phase_, kWave)) / 8;
            PutCell(c, r, LightTables::ColourWheel(Wrap(hue, kWheel)), level);
        }
    }
}

void KeyboardLightingEngine::StepMeteor(const KeyboardLightSettings& s) {
    // Meteors shoot along the rows, tails fading behind them.
    DimAll(2, 3);
    const bool forward = s.direction == 0;
    for (Spot& meteor : spots_) {
        meteor.column += forward ? 1 : -1;
    }
    std::erase_if(spots_, [](const Spot& m) { return m.column < 0 || m.column >= Grid::kColumns; });
    if (Random() % 3 == 0) {
        spots_.push_back(Spot{forward ? 0 : Grid::kColumns - 1,
                              static_cast<int>(Random() % Grid::kRows), 0,
                              static_cast<uint8_t>(Random() % kWheel)});
    }
    for (const Spot& meteor : spots_) {
        PutCell(meteor.column, meteor.row, ColourOr(s, meteor.hue),
                LightTables::Level(s.brightness));
    }
}

void KeyboardLightingEngine::StepSine(const KeyboardLightSettings& s) {
    // A sine line runs along the board.
    Advance(kWave, s.direction == 0);
    const uint8_t level = LightTables::Level(s.brightness);
    elements_.fill(Element{});
    for (int c = 0; c < Grid::kColumns; ++c) {
        const int at = LightTables::Wave(Wrap(c * 8 + phase_, kWave)) * (Grid::kRows - 1) / 255;
        for (int r = 0; r < Grid::kRows; ++r) {
            const int off = std::abs(r - at);
            PutCell(c, r, ColourOr(s, static_cast<size_t>(c * 8)),
                    off == 0 ? level : off == 1 ? static_cast<uint8_t>(level / 4) : uint8_t{0});
        }
    }
}

void KeyboardLightingEngine::StepCentreWave(const KeyboardLightSettings& s) {
    // Bands of colour move out from the middle column to both ends.
    Advance(kWheel, s.direction == 0);
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        const int away = std::abs(c - static_cast<int>(kCentreColumn));
        for (int r = 0; r < Grid::kRows; ++r) {
            if (s.multicolour) {
                PutCell(c, r, LightTables::ColourWheel(Wrap(away * 16 - phase_ * 2, kWheel)),
                        level);
            } else {
                PutCell(c, r, s.colour,
                        Scale(LightTables::Wave(Wrap(away * 8 - phase_ * 2, kWave)), level));
            }
        }
    }
}

void KeyboardLightingEngine::StepTwinkle(const KeyboardLightSettings& s) {
    // Keys light up in colours of their own and fade.
    for (Element& e : elements_) {
        e.level = static_cast<uint8_t>(e.level - LightTables::FadeStep(e.level, 43) * 3 / 2);
    }
    const uint8_t level = LightTables::Level(s.brightness);
    for (int i = 0; i < 4; ++i) {
        PutCell(static_cast<int>(Random() % Grid::kColumns),
                static_cast<int>(Random() % Grid::kRows),
                LightTables::ColourWheel(Random() % kWheel), level);
    }
}

void KeyboardLightingEngine::StepPulse(const KeyboardLightSettings& s) {
    // A quick rise and a long fall, over and over.
    static constexpr uint8_t kPulse[12] = {255, 200, 150, 110, 80, 55, 35, 20, 10, 5, 0, 0};
    const size_t at = steps_ % 12;
    if (at == 0) {
        counter_ = (counter_ + 40) % kWheel;
    }
    FillAll(ColourOr(s, static_cast<size_t>(counter_)),
            Scale(kPulse[at], LightTables::Level(s.brightness)));
}

void KeyboardLightingEngine::StepKaleidoscope(const KeyboardLightSettings& s) {
    // A pattern mirrored left to right and top to bottom, turning through the colours.
    Advance(kWheel, s.direction == 0);
    const uint8_t level = LightTables::Level(s.brightness);
    for (int c = 0; c < Grid::kColumns; ++c) {
        const int mc = std::min(c, Grid::kColumns - 1 - c);
        for (int r = 0; r < Grid::kRows; ++r) {
            const int mr = std::min(r, Grid::kRows - 1 - r);
            const int hue = mc * 14 + mr * 30 + phase_ * 2;
            PutCell(c, r, LightTables::ColourWheel(Wrap(hue, kWheel)),
                    Scale(128 + LightTables::Wave(Wrap(mc * 6 + mr * 20 - phase_, kWave)) / 2,
                          level));
        }
    }
}

void KeyboardLightingEngine::StepCommon(const KeyboardLightSettings& s) {
    const uint8_t level = LightTables::Level(s.brightness);
    switch (s.mode) {
        case 11: {  // starlight: stars come out one by one and fade
            DimAll(7, 8);
            for (int i = 0; i < 2; ++i) {
                PutCell(static_cast<int>(Random() % Grid::kColumns),
                        static_cast<int>(Random() % Grid::kRows),
                        ColourOr(s, Random() % kWheel), level);
            }
            break;
        }
        case 12: {  // snake: a snake of six keys runs through the rows
            constexpr int kLength = 6;
            constexpr int kCells = Grid::kColumns * Grid::kRows;
            position_ = static_cast<int>(Wrap(position_ + (s.direction == 0 ? 1 : -1), kCells));
            elements_.fill(Element{});
            for (int i = 0; i < kLength; ++i) {
                const int cell = SnakeCell(static_cast<int>(
                    Wrap(position_ - (s.direction == 0 ? i : -i), kCells)));
                PutCell(cell % Grid::kColumns, cell / Grid::kColumns,
                        ColourOr(s, static_cast<size_t>(position_ + i * 8)),
                        Scale(255 * (kLength - i) / kLength, level));
            }
            break;
        }
        case 25: {  // game zones: the zones in their colours, breathing gently
            Advance(kWave, true);
            const uint8_t zoneLevel =
                Scale(191 + LightTables::Wave(static_cast<size_t>(phase_)) / 4, level);
            for (size_t light = 0; light < kLights; ++light) {
                if (Grid::CellOf(light)) {
                    const Rgb rest{static_cast<uint8_t>(s.colour.red / 4),
                                   static_cast<uint8_t>(s.colour.green / 4),
                                   static_cast<uint8_t>(s.colour.blue / 4)};
                    Put(light, ZoneColour(light, rest), zoneLevel);
                }
            }
            break;
        }
        default:  // still
            StepStatic(s);
            break;
    }
}

}  // namespace marlo::devices
