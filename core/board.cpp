// The Board's rules (see board.h).
#include "core/board.h"

#include <cstring>

namespace quz::core {

namespace {

int32_t RandomColour(RandomStream& random) {
    return random.Next() % 3 + 1;
}

bool ColumnEmpty(const int32_t* cells, int column) {
    for (int row = 0; row < kBoardSize; ++row) {
        if (cells[CellIndex(column, row)] != kEmptyCell) {
            return false;
        }
    }
    return true;
}

}  // namespace

void Board::Fill(RandomStream& rules, RandomStream& decoration) {
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            int i = CellIndex(column, row);
            cells[i] = RandomColour(rules);
            phases[i] = (decoration.Next() % 20 + column + row) % 20;
        }
    }
    // Three bonuses are promised to the player, so they never share a cell: draw again until all three
    // positions differ.
    int position[3];
    do {
        for (int& p : position) {
            int column = rules.Next() % kBoardSize;
            int row = rules.Next() % kBoardSize;
            p = CellIndex(column, row);
        }
    } while (position[0] == position[1] || position[0] == position[2] || position[1] == position[2]);
    cells[position[0]] = kDoubleBonus;
    cells[position[1]] = kAddLineBonus;
    cells[position[2]] = kPointsBonus;
}

void Board::MarkGroup(int column, int row, int32_t value) {
    if (column < 0 || column >= kBoardSize || row < 0 || row >= kBoardSize) {
        return;
    }
    int i = CellIndex(column, row);
    if (highlight[i] != 0 || ((cells[i] ^ value) & 15) != 0) {
        return;
    }
    highlight[i] = 1;
    MarkGroup(column - 1, row, value);
    MarkGroup(column + 1, row, value);
    MarkGroup(column, row - 1, value);
    MarkGroup(column, row + 1, value);
}

void Board::ClearMarks() {
    memset(highlight, 0, sizeof highlight);
}

int Board::MarkGroupAtCell(int column, int row) {
    ClearMarks();
    if (column >= 0 && column < kBoardSize && row >= 0 && row < kBoardSize) {
        int32_t value = cells[CellIndex(column, row)];
        if (value != kEmptyCell) {
            MarkGroup(column, row, value);
        }
    }
    int n = 0;
    for (uint8_t mark : highlight) {
        n += mark;
    }
    if (n >= 2) {
        return n;
    }
    ClearMarks();
    return 0;
}

void Board::StepGravity() {
    for (int column = 0; column < kBoardSize; ++column) {
        for (int row = kBoardSize - 1; row >= 1; --row) {
            int i = CellIndex(column, row);
            if (cells[i] == kEmptyCell) {
                cells[i] = cells[i - 1];
                cells[i - 1] = kEmptyCell;
                highlight[i] = highlight[i - 1];
                highlight[i - 1] = 0;
            }
        }
    }
}

void Board::StepColumns() {
    for (int column = 1; column < kBoardSize; ++column) {
        if (ColumnEmpty(cells, column - 1)) {
            int32_t* from = &cells[CellIndex(column, 0)];
            memcpy(&cells[CellIndex(column - 1, 0)], from, sizeof(int32_t) * kBoardSize);
            memset(from, 0, sizeof(int32_t) * kBoardSize);
            uint8_t* marks = &highlight[CellIndex(column, 0)];
            memcpy(&highlight[CellIndex(column - 1, 0)], marks, kBoardSize);
            memset(marks, 0, kBoardSize);
        }
    }
}

void Board::AddLine(RandomStream& rules) {
    for (int column = 0; column < kBoardSize; ++column) {
        int i = CellIndex(column, 0);
        if (cells[i] == kEmptyCell) {
            cells[i] = RandomColour(rules);
        }
    }
}

BoardOutcome Board::CheckBoard() const {
    bool anyBlock = false;
    for (int column = 0; column < kBoardSize; ++column) {
        for (int row = 0; row < kBoardSize; ++row) {
            int32_t value = cells[CellIndex(column, row)];
            if (value == kEmptyCell) {
                continue;
            }
            anyBlock = true;
            if (column + 1 < kBoardSize && ((cells[CellIndex(column + 1, row)] ^ value) & 15) == 0) {
                return BoardOutcome::MovesLeft;
            }
            if (row + 1 < kBoardSize && ((cells[CellIndex(column, row + 1)] ^ value) & 15) == 0) {
                return BoardOutcome::MovesLeft;
            }
        }
    }
    return anyBlock ? BoardOutcome::NoMoves : BoardOutcome::Cleared;
}

}  // namespace quz::core
