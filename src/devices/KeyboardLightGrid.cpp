#include "devices/KeyboardLightGrid.h"

namespace marlo::devices {
namespace {

constexpr uint8_t E = KeyboardLightGrid::kEmpty;

// Rows from the top: function row, number row, Tab row, Caps row, Shift row, bottom row. The
// first column is the M1-M5 keys; columns 16-18 the navigation block; 19-22 the numeric pad.
constexpr std::array<std::array<uint8_t, KeyboardLightGrid::kColumns>, KeyboardLightGrid::kRows>
    kGrid = {{
        {E, 0, E, 1, 2, 3, 4, 5, 6, 7, 8, E, 9, 10, 11, 12, 13, 14, 15, 16, 17, 81, 82},
        {120, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, E, 35, 36, 37, 38, 39, 40,
         41},
        {121, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, E, 56, 57, 58, 59, 60, 61,
         119},
        {122, E, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 62, 75, E, E, E, 76, 77, 78, E},
        {123, 84, 102, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 100, 95, E, E, 96, E, 97, 98, 99,
         118},
        {124, 105, E, 106, 107, 80, E, 108, E, 79, 83, 109, 125, 110, 111, 112, 113, 114, 115,
         116, 117, 103, 101},
    }};

constexpr std::array<int16_t, KeyboardLightGrid::kPositions> MakeCells() {
    std::array<int16_t, KeyboardLightGrid::kPositions> cells{};
    for (auto& c : cells) {
        c = -1;
    }
    for (int r = 0; r < KeyboardLightGrid::kRows; ++r) {
        for (int c = 0; c < KeyboardLightGrid::kColumns; ++c) {
            const uint8_t p = kGrid[static_cast<size_t>(r)][static_cast<size_t>(c)];
            if (p != E) {
                cells[p] = static_cast<int16_t>(r * KeyboardLightGrid::kColumns + c);
            }
        }
    }
    return cells;
}

constexpr std::array<int16_t, KeyboardLightGrid::kPositions> kCells = MakeCells();

}  // namespace

uint8_t KeyboardLightGrid::At(int column, int row) {
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows) {
        return kEmpty;
    }
    return kGrid[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

std::optional<KeyboardLightGrid::Cell> KeyboardLightGrid::CellOf(size_t position) {
    if (position >= kPositions || kCells[position] < 0) {
        return std::nullopt;
    }
    return Cell{kCells[position] % kColumns, kCells[position] / kColumns};
}

}  // namespace marlo::devices
