#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace marlo::devices {

// Where the keyboard's lights sit: a grid of 23 columns and 6 rows of light positions, laid
// out as the keys are on the board (function row at the top, the numeric pad on the right).
// Cells without a light hold kEmpty.
class KeyboardLightGrid {
  public:
    static constexpr int kColumns = 23;
    static constexpr int kRows = 6;
    static constexpr uint8_t kEmpty = 170;
    static constexpr size_t kPositions = 170;

    struct Cell {
        int column = 0;
        int row = 0;
    };

    // The light position at a cell, or kEmpty (also outside the grid).
    static uint8_t At(int column, int row);
    // The cell of a light position; nothing for a position that is not in the grid.
    static std::optional<Cell> CellOf(size_t position);
};

}  // namespace marlo::devices
