// The board and the session's removal driven by any sequence of clicks (on and off the board) and of
// frames, with the rules' invariants checked after every step: only valid cell values, three bonuses
// in every deal, a removed group of one colour and at least two blocks, a score that never falls on a
// click, no hole once blocks have settled, and an end-of-level outcome that matches the board.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "game/board.h"
#include "core/session.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

bool ValidCell(int32_t value) {
    return value == kEmptyCell || (value >= 1 && value <= 3) || value == kDoubleBonus ||
           value == kAddLineBonus || value == kPointsBonus;
}

void CheckCells(const Board& board) {
    for (int32_t value : board.cells) {
        Check(ValidCell(value));
    }
    for (int32_t phase : board.phases) {
        Check(phase >= 0 && phase < 20);
    }
}

void CheckDeal(const Board& board) {
    CheckCells(board);
    int bonuses[3] = {};
    for (int32_t value : board.cells) {
        Check(value != kEmptyCell);
        if (value >= kDoubleBonus) {
            ++bonuses[value - kDoubleBonus];
        }
    }
    Check(bonuses[0] == 1 && bonuses[1] == 1 && bonuses[2] == 1);
}

// Settled: no block above an empty cell, and no empty column left of a column with blocks.
void CheckNoHoles(const Board& board) {
    bool emptyColumnSeen = false;
    for (int column = 0; column < kBoardSize; ++column) {
        bool blockAbove = false;
        bool anyBlock = false;
        for (int row = 0; row < kBoardSize; ++row) {
            bool block = board.cells[CellIndex(column, row)] != kEmptyCell;
            Check(!(blockAbove && !block));
            blockAbove = blockAbove || block;
            anyBlock = anyBlock || block;
        }
        Check(!(emptyColumnSeen && anyBlock));
        emptyColumnSeen = emptyColumnSeen || !anyBlock;
    }
}

BoardOutcome ExpectedOutcome(const Board& board) {
    bool anyBlock = false;
    for (int column = 0; column < kBoardSize; ++column) {
        for (int row = 0; row < kBoardSize; ++row) {
            int32_t colour = board.cells[CellIndex(column, row)] & 15;
            if (colour == 0) {
                continue;
            }
            anyBlock = true;
            if ((column + 1 < kBoardSize && (board.cells[CellIndex(column + 1, row)] & 15) == colour) ||
                (row + 1 < kBoardSize && (board.cells[CellIndex(column, row + 1)] & 15) == colour)) {
                return BoardOutcome::MovesLeft;
            }
        }
    }
    return anyBlock ? BoardOutcome::NoMoves : BoardOutcome::Cleared;
}

// One frame of the board's motion, with a line dropped in while the add-line bonus has some pending.
void StepFrame(quz::core::Session& game) {
    game.StepGravity();
    game.StepColumns();
    if (game.linesPending > 0) {
        game.AddLine(game.dealRandom);
        game.linesPending -= 1;
    }
    CheckCells(game);
}

// Runs frames until nothing moves and no line is pending (blocks fall at most 14 rows, columns close
// at most 14 places, so this ends quickly), then checks that nothing is left hanging.
void Settle(quz::core::Session& game) {
    for (int frame = 0; frame < 200; ++frame) {
        int32_t before[kCellCount];
        memcpy(before, game.cells, sizeof before);
        StepFrame(game);
        if (game.linesPending == 0 && memcmp(before, game.cells, sizeof before) == 0) {
            break;
        }
    }
    CheckNoHoles(game);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const auto seed = input.ConsumeIntegral<uint32_t>();
    auto game = std::make_unique<quz::core::Session>(quz::core::SessionSettings{seed, 0, seed ^ 0x5EEDu});
    game->score = input.ConsumeIntegralInRange<int32_t>(0, 2000000);
    CheckDeal(*game);
    int deals = 1;
    for (int clicks = 0; input.remaining_bytes() > 0 && clicks < 300 && deals < 20; ++clicks) {
        const int x = input.ConsumeIntegralInRange(-10, 650);
        const int y = input.ConsumeIntegralInRange(-10, 490);
        const int n = MarkGroupAt(*game, x, y);
        int marked = 0;
        int32_t colour = -1;
        for (int i = 0; i < kCellCount; ++i) {
            if (game->highlight[i] == 0) {
                continue;
            }
            ++marked;
            const int32_t cellColour = game->cells[i] & 15;
            Check(cellColour != 0 && (colour == -1 || colour == cellColour));
            colour = cellColour;
        }
        Check(marked == n && (n == 0 || n >= 2));
        const int32_t before = game->score;
        game->RemoveGroup();
        Check(game->score >= before);
        Check(n == 0 || before > quz::core::kScoreCap || game->score >= before + n * n);
        for (int i = 0; i < kCellCount; ++i) {
            Check(game->highlight[i] == 0 || game->cells[i] == kEmptyCell);
        }
        const int frames = input.ConsumeIntegralInRange(0, 20);
        for (int frame = 0; frame < frames; ++frame) {
            StepFrame(*game);
        }
        Settle(*game);
        const BoardOutcome outcome = game->CheckBoard();
        Check(outcome == ExpectedOutcome(*game));
        if (outcome != BoardOutcome::MovesLeft) {
            game->FillBoard();
            CheckDeal(*game);
            ++deals;
        }
    }
    return 0;
}
