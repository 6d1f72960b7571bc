// Board rules: groups, falling, closing columns, new lines, the end-of-level test and new boards.
#include "core/board.h"
#include "core/random_stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

using namespace quz::core;

Board EmptyBoard() {
    return Board{};
}

int MarkCount(const Board& board) {
    int n = 0;
    for (uint8_t mark : board.highlight) {
        n += mark;
    }
    return n;
}

TEST(BoardGroups, BonusJoinsItsColourOnly) {
    Board board = EmptyBoard();
    board.cells[CellIndex(0, 14)] = 1;
    board.cells[CellIndex(1, 14)] = kDoubleBonus;  // colour 1
    board.cells[CellIndex(2, 14)] = 1;
    board.cells[CellIndex(3, 14)] = kAddLineBonus;  // colour 2: not part of the colour-1 group
    board.cells[CellIndex(4, 14)] = 2;
    EXPECT_EQ(board.MarkGroupAtCell(0, 14), 3);
    EXPECT_EQ(board.highlight[CellIndex(1, 14)], 1);
    EXPECT_EQ(board.highlight[CellIndex(3, 14)], 0);
    // Starting on the bonus finds the same group.
    EXPECT_EQ(board.MarkGroupAtCell(1, 14), 3);
    EXPECT_EQ(board.MarkGroupAtCell(3, 14), 2);
}

TEST(BoardGroups, CornersDoNotJoinAndSinglesLeaveNoMarks) {
    Board board = EmptyBoard();
    board.cells[CellIndex(5, 5)] = 2;
    board.cells[CellIndex(6, 6)] = 2;
    board.cells[CellIndex(6, 5)] = 3;
    EXPECT_EQ(board.MarkGroupAtCell(5, 5), 0);
    EXPECT_EQ(MarkCount(board), 0);
    // A previous group's marks are gone after a search that finds nothing.
    board.cells[CellIndex(5, 6)] = 2;
    EXPECT_EQ(board.MarkGroupAtCell(5, 5), 3);
    EXPECT_EQ(board.MarkGroupAtCell(6, 5), 0);
    EXPECT_EQ(MarkCount(board), 0);
}

TEST(BoardGroups, PointsOffTheBoardOrOnEmptyCellsMarkNothing) {
    Board board;
    for (int32_t& v : board.cells) {
        v = 1;
    }
    EXPECT_EQ(board.MarkGroupAtCell(15, 3), 0);
    EXPECT_EQ(board.MarkGroupAtCell(3, 15), 0);
    EXPECT_EQ(board.MarkGroupAtCell(-1, 3), 0);
    EXPECT_EQ(MarkCount(board), 0);
    EXPECT_EQ(board.MarkGroupAtCell(14, 14), kCellCount);  // the whole board at the deepest recursion
    board.cells[CellIndex(0, 0)] = 0;
    EXPECT_EQ(board.MarkGroupAtCell(0, 0), 0);
}

TEST(BoardGroups, FollowsAWindingPathInEveryDirection) {
    Board board;
    for (int32_t& v : board.cells) {
        v = 2;
    }
    // A snake of colour 3 that needs steps left, right, up and down from a start in its middle.
    const int path[][2] = {{14, 14}, {14, 13}, {14, 12}, {14, 11}, {14, 10}, {13, 10}, {12, 10}, {11, 10},
                           {10, 10}, {10, 11}, {10, 12}, {9, 12},  {8, 12},  {8, 11},  {8, 10},  {8, 9}};
    for (const auto& cell : path) {
        board.cells[CellIndex(cell[0], cell[1])] = 3;
    }
    board.cells[CellIndex(9, 11)] = kPointsBonus;  // joins through its colour from inside the bend
    const int n = static_cast<int>(sizeof path / sizeof path[0]) + 1;
    EXPECT_EQ(board.MarkGroupAtCell(10, 11), n);
    EXPECT_EQ(board.MarkGroupAtCell(14, 14), n);
    EXPECT_EQ(board.highlight[CellIndex(8, 9)], 1);
    EXPECT_EQ(board.highlight[CellIndex(8, 8)], 0);
}

TEST(BoardGravity, FallsOneRowPerStep) {
    Board board = EmptyBoard();
    board.cells[CellIndex(2, 10)] = 1;
    board.cells[CellIndex(2, 11)] = 2;  // a stack of two over a gap down to row 14
    board.cells[CellIndex(2, 14)] = 3;
    board.StepGravity();
    EXPECT_EQ(board.cells[CellIndex(2, 11)], 1);
    EXPECT_EQ(board.cells[CellIndex(2, 12)], 2);
    EXPECT_EQ(board.cells[CellIndex(2, 10)], 0);
    board.StepGravity();
    EXPECT_EQ(board.cells[CellIndex(2, 12)], 1);
    EXPECT_EQ(board.cells[CellIndex(2, 13)], 2);
    board.StepGravity();  // landed: nothing moves
    EXPECT_EQ(board.cells[CellIndex(2, 12)], 1);
    EXPECT_EQ(board.cells[CellIndex(2, 13)], 2);
    EXPECT_EQ(board.cells[CellIndex(2, 14)], 3);

    Board top = EmptyBoard();
    top.cells[CellIndex(0, 0)] = 1;
    int steps = 0;
    while (top.cells[CellIndex(0, 14)] == 0) {
        top.StepGravity();
        ++steps;
    }
    EXPECT_EQ(steps, 14);
}

TEST(BoardGravity, MarksTravelWithTheirBlocks) {
    Board board = EmptyBoard();
    board.cells[CellIndex(0, 14)] = 3;
    board.cells[CellIndex(1, 2)] = 2;  // above it a block of another colour
    board.cells[CellIndex(1, 3)] = 1;
    board.cells[CellIndex(1, 4)] = 1;  // a falling pair over an empty cell
    ASSERT_EQ(board.MarkGroupAtCell(1, 3), 2);
    board.StepGravity();
    EXPECT_EQ(board.highlight[CellIndex(1, 3)], 0) << "the colour-2 block that fell into row 3 is not marked";
    EXPECT_EQ(board.highlight[CellIndex(1, 4)], 1);
    EXPECT_EQ(board.highlight[CellIndex(1, 5)], 1);
    board.cells[CellIndex(0, 14)] = 0;  // the left column empties: the column and its marks move left
    board.StepColumns();
    EXPECT_EQ(board.highlight[CellIndex(0, 4)], 1);
    EXPECT_EQ(board.highlight[CellIndex(0, 5)], 1);
    EXPECT_EQ(board.highlight[CellIndex(1, 5)], 0);
}

TEST(BoardColumns, OneColumnPerCallEvenWhileFalling) {
    Board board = EmptyBoard();
    // Columns 0 and 1 empty; column 2 holds a block in mid-air, column 3 is partly empty.
    board.cells[CellIndex(2, 3)] = 1;
    board.cells[CellIndex(3, 14)] = 2;
    board.StepColumns();
    // Column 2 moves into 1 (0 was empty), column 3 into 2 (2 was empty after the move)... only where
    // the left neighbour held nothing when it was looked at.
    EXPECT_EQ(board.cells[CellIndex(1, 3)], 1);
    EXPECT_EQ(board.cells[CellIndex(2, 14)], 2);
    EXPECT_EQ(board.cells[CellIndex(3, 14)], 0);
    board.StepColumns();
    EXPECT_EQ(board.cells[CellIndex(0, 3)], 1);
    EXPECT_EQ(board.cells[CellIndex(1, 14)], 2);
    board.StepColumns();
    EXPECT_EQ(board.cells[CellIndex(0, 3)], 1);
    EXPECT_EQ(board.cells[CellIndex(0, 14)], 0) << "a column whose left neighbour holds a block stays";
    EXPECT_EQ(board.cells[CellIndex(1, 14)], 2);
}

TEST(BoardColumns, TwoEmptyColumnsNeedTwoCalls) {
    Board board = EmptyBoard();
    for (int column = 2; column < kBoardSize; ++column) {
        board.cells[CellIndex(column, 14)] = 1 + column % 3;
    }
    board.StepColumns();
    EXPECT_EQ(board.cells[CellIndex(1, 14)], 1 + 2 % 3);
    EXPECT_EQ(board.cells[CellIndex(0, 14)], 0);
    EXPECT_EQ(board.cells[CellIndex(14, 14)], 0);
    board.StepColumns();
    for (int column = 0; column < 13; ++column) {
        EXPECT_EQ(board.cells[CellIndex(column, 14)], 1 + (column + 2) % 3);
    }
    EXPECT_EQ(board.cells[CellIndex(13, 14)], 0);
}

TEST(BoardLines, OnlyEmptyTopsGetPlainBlocks) {
    Board board = EmptyBoard();
    board.cells[CellIndex(4, 0)] = kPointsBonus;
    RandomStream rules(7);
    board.AddLine(rules);
    for (int column = 0; column < kBoardSize; ++column) {
        int32_t v = board.cells[CellIndex(column, 0)];
        if (column == 4) {
            EXPECT_EQ(v, kPointsBonus);
        } else {
            EXPECT_GE(v, 1);
            EXPECT_LE(v, 3);
        }
        EXPECT_EQ(board.cells[CellIndex(column, 1)], 0);
    }
    Board full;
    for (int32_t& v : full.cells) {
        v = 2;
    }
    full.AddLine(rules);
    for (int32_t v : full.cells) {
        ASSERT_EQ(v, 2);
    }
}

TEST(BoardCheck, ThreeOutcomes) {
    Board board = EmptyBoard();
    EXPECT_EQ(board.CheckBoard(), BoardOutcome::Cleared);

    // A checkerboard of alternating colours: blocks remain, none can be taken.
    for (int column = 0; column < kBoardSize; ++column) {
        for (int row = 0; row < kBoardSize; ++row) {
            board.cells[CellIndex(column, row)] = 1 + (column + row) % 3;
        }
    }
    EXPECT_EQ(board.CheckBoard(), BoardOutcome::NoMoves);

    // A pair on the top row, at the right edge, in the bottom-right corner and the right column.
    Board top = board;
    top.cells[CellIndex(14, 0)] = top.cells[CellIndex(13, 0)];
    EXPECT_EQ(top.CheckBoard(), BoardOutcome::MovesLeft);
    Board right = board;
    right.cells[CellIndex(14, 14)] = right.cells[CellIndex(14, 13)];
    EXPECT_EQ(right.CheckBoard(), BoardOutcome::MovesLeft);
    Board bottom = board;
    bottom.cells[CellIndex(1, 14)] = bottom.cells[CellIndex(0, 14)];
    EXPECT_EQ(bottom.CheckBoard(), BoardOutcome::MovesLeft);

    // A bonus counts by its colour; a lone pair separated by empty cells is no move.
    Board sparse = EmptyBoard();
    sparse.cells[CellIndex(3, 14)] = 1;
    sparse.cells[CellIndex(5, 14)] = 1;
    EXPECT_EQ(sparse.CheckBoard(), BoardOutcome::NoMoves);
    sparse.cells[CellIndex(4, 14)] = kDoubleBonus;
    EXPECT_EQ(sparse.CheckBoard(), BoardOutcome::MovesLeft);
    sparse.cells[CellIndex(4, 14)] = kAddLineBonus;
    EXPECT_EQ(sparse.CheckBoard(), BoardOutcome::NoMoves);
}

TEST(BoardFill, FullBoardWithThreeSeparateBonuses) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        Board board;
        RandomStream rules(seed);
        RandomStream decoration(1);
        board.highlight[7] = 1;
        board.Fill(rules, decoration);
        int bonus[3] = {0, 0, 0};
        for (int i = 0; i < kCellCount; ++i) {
            int32_t v = board.cells[i];
            if (v >= kDoubleBonus && v <= kPointsBonus) {
                ++bonus[v - kDoubleBonus];
            } else {
                ASSERT_TRUE(v >= 1 && v <= 3) << "seed " << seed;
            }
            ASSERT_TRUE(board.phases[i] >= 0 && board.phases[i] < 20);
        }
        ASSERT_EQ(bonus[0], 1) << "seed " << seed;
        ASSERT_EQ(bonus[1], 1) << "seed " << seed;
        ASSERT_EQ(bonus[2], 1) << "seed " << seed;
        ASSERT_EQ(board.highlight[7], 1) << "marks are left alone";
    }
}

}  // namespace
