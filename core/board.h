// The 15 by 15 playing field and its rules: filling a board, finding a group, letting blocks fall,
// closing empty columns, dropping new lines in and the end-of-level test. Cells, not pixels: where a
// pointer stands is the presenter's business.
#pragma once

#include <cstdint>

#include "core/random_stream.h"

namespace quz::core {

inline constexpr int kBoardSize = 15;  // columns and rows
inline constexpr int kCellCount = kBoardSize * kBoardSize;

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
    uint8_t highlight[kCellCount] = {};  // 1: part of the marked group

    // A full board of colours from `rules` with the three bonuses in three different cells; the
    // animation phases come from `decoration`, which never changes what is dealt.
    void Fill(RandomStream& rules, RandomStream& decoration);
    // Marks the group of the colour of `value` that holds (column, row).
    void MarkGroup(int column, int row, int32_t value);
    // Marks the group holding (column, row) (outside the board: none); returns its size, or 0 (and no
    // marks) below two blocks.
    int MarkGroupAtCell(int column, int row);
    // Every block with an empty cell below falls one row. Marks travel with their blocks, so a removal in
    // the tick in which its group moves still takes exactly the blocks that were marked.
    void StepGravity();
    // Every column right of an empty column moves one column left (marks travel along, as above).
    void StepColumns();
    // Every empty top cell gets a random plain colour.
    void AddLine(RandomStream& rules);
    BoardOutcome CheckBoard() const;

    void ClearMarks();
};

}  // namespace quz::core
