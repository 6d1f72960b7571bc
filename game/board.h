// The 15 by 15 playing field and its rules: filling a board, finding the group under a point, letting
// blocks fall, closing empty columns, dropping new lines in and the end-of-level test. Plain C++ with
// no SDL, so the rules can be tested without a window.
#pragma once

#include <cstdint>

#include "game/random_stream.h"

inline constexpr int kBoardSize = 15;  // columns and rows
inline constexpr int kCellCount = kBoardSize * kBoardSize;
inline constexpr int kCellPixels = 32;
inline constexpr int kBoardPixels = kBoardSize * kCellPixels;

// Cell values: 0 empty, 1..3 plain colours, and the bonus blocks, each tied to one colour (value & 15).
inline constexpr int32_t kEmptyCell = 0;
inline constexpr int32_t kDoubleBonus = 17;   // colour 1
inline constexpr int32_t kAddLineBonus = 18;  // colour 2
inline constexpr int32_t kPointsBonus = 19;   // colour 3

enum class BoardOutcome { MovesLeft, Cleared, NoMoves };

// Cells are stored column by column: (column, row) is at column * 15 + row.
constexpr int CellIndex(int column, int row) {
    return column * kBoardSize + row;
}

struct Board {
    int32_t cells[kCellCount] = {};
    int32_t phases[kCellCount] = {};     // 0..19: start of each position's block animation
    uint8_t highlight[kCellCount] = {};  // 1: part of the group under the pointer
    RandomStream rulesRandom;            // colours and bonus places: a seed deals the same boards
    RandomStream decorationRandom;       // animation phases only: never changes what is dealt

    // A full board of random colours with the three bonuses in three different cells.
    void FillBoard();
    // Marks the group of the colour of `value` that holds (column, row).
    void MarkGroup(int column, int row, int32_t value);
    // Marks the group under screen pixel (x, y); returns its size, or 0 (and no marks) below two blocks.
    int MarkGroupAt(int x, int y);
    // Every block with an empty cell below falls one row. Marks travel with their blocks, so a click in
    // the frame in which its group moves still removes exactly the blocks that were under the pointer.
    void StepGravity();
    // Every column right of an empty column moves one column left (marks travel along, as above).
    void StepColumns();
    // Every empty top cell gets a random plain colour.
    void AddLine();
    BoardOutcome CheckBoard() const;

    void ClearMarks();
};
