// The Board on the screen: its cells are 32 pixels square from the top-left corner, and a screen point
// names the cell under it. The rules themselves are core/board.h.
#pragma once

#include <cstdint>

#include "core/board.h"
#include "core/command.h"

using quz::core::Board;
using quz::core::BoardOutcome;
using quz::core::CellIndex;
using quz::core::kAddLineBonus;
using quz::core::kBoardSize;
using quz::core::kCellCount;
using quz::core::kDoubleBonus;
using quz::core::kEmptyCell;
using quz::core::kNoCell;
using quz::core::kPointsBonus;

inline constexpr int kCellPixels = 32;
inline constexpr int kBoardPixels = kBoardSize * kCellPixels;

// The cell (row * 15 + column, as commands name it) under screen pixel (x, y), or kNoCell off the board.
constexpr uint16_t CellAt(int x, int y) {
    if (x < 0 || x >= kBoardPixels || y < 0 || y >= kBoardPixels) {
        return kNoCell;
    }
    return static_cast<uint16_t>((y / kCellPixels) * kBoardSize + x / kCellPixels);
}

// Marks the group under screen pixel (x, y); returns its size, or 0 (and no marks) below two blocks.
inline int MarkGroupAt(Board& board, int x, int y) {
    const uint16_t cell = CellAt(x, y);
    return cell == kNoCell ? board.MarkGroupAtCell(-1, -1)
                           : board.MarkGroupAtCell(cell % kBoardSize, cell / kBoardSize);
}
