// Play by keyboard (the cursor cell, its edges, the held arrow's repeat, the hand-back to the mouse) and
// the pause (by P and by a lost focus; nothing moves while paused; Escape still ends the game).
#include <cstring>
#include <vector>

#include "game_test_support.h"
#include "platform/input.h"

namespace {

// In column 1 (empty columns close to the left), five red blocks with a double-points bonus among them
// over a green pair, and a green block above them; a blue pair in column 0 keeps a move on the board so
// the level does not end.
void Stage(Game& game) {
    ClearBoard(game);
    Put(game, 0, 14, 3);
    Put(game, 0, 13, 3);
    for (int row = 8; row < 13; ++row) {
        Put(game, 1, row, 1);
    }
    Put(game, 1, 10, kDoubleBonus);
    Put(game, 1, 13, 2);
    Put(game, 1, 14, 2);
    Put(game, 1, 3, 2);  // falls onto the green pair once the red group has gone
    game.score = 0;
    game.levelPoints = 0;
}

class KeyboardPlay : public GameSession {
  protected:
    void SetUp() override {
        GameSession::SetUp();
        FillWithoutMoves(*game);
        Put(*game, 0, 14, 3);
        Put(*game, 0, 13, 3);
        ASSERT_TRUE(FinishFadeIn());
        Stage(*game);
    }
    void Key(InputKey key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            PushKey(key);
        }
        Frame();
    }
    std::vector<int32_t> Cells() const { return {game->cells, game->cells + kCellCount}; }
    // Frames enough for every block to have fallen.
    void Settle() {
        for (int i = 0; i < 20; ++i) {
            Frame();
        }
    }
};

TEST_F(KeyboardPlay, SpaceOnTheCursorRemovesWhatAClickOnThatCellRemoves) {
    ClickCell(1, 11);
    Settle();
    const int32_t clickScore = game->score;
    const std::vector<int32_t> clickCells = Cells();
    EXPECT_EQ(clickScore, 2 * 5 * 5) << "the group of five with its double bonus";

    Stage(*game);
    WarpTo(600, 10);
    Frame();
    // The pointer is over the panel: the cursor starts from the middle cell (7, 7).
    Key(InputKey::Left, 6);
    Key(InputKey::Down, 4);
    EXPECT_TRUE(game->keyboardAim);
    EXPECT_EQ(game->cursorColumn, 1);
    EXPECT_EQ(game->cursorRow, 11);
    EXPECT_EQ(game->hoverPoints, 25) << "the group is lit and offered as under the pointer";
    EXPECT_NE(game->highlight[CellIndex(1, 8)], 0);
    Key(InputKey::Space);
    Settle();
    EXPECT_EQ(game->score, clickScore);
    EXPECT_EQ(Cells(), clickCells);

    // Return does the same as Space; a cursor on a single block removes nothing, as a click there.
    Stage(*game);
    Frame();
    Key(InputKey::Return);
    Frame();
    EXPECT_EQ(game->score, clickScore);
    Key(InputKey::Left, 4);
    Key(InputKey::Up, 3);  // (0, 8): an empty cell, the cursor stopped at the left edge
    Key(InputKey::Return);
    EXPECT_EQ(game->score, clickScore);
    EXPECT_EQ(game->settleFrames, 15);
}

TEST_F(KeyboardPlay, TheCursorStopsAtTheBoardsEdges) {
    Key(InputKey::Left, 20);
    Key(InputKey::Up, 20);
    EXPECT_EQ(game->cursorColumn, 0);
    EXPECT_EQ(game->cursorRow, 0);
    Key(InputKey::Right, 20);
    Key(InputKey::Down, 20);
    EXPECT_EQ(game->cursorColumn, kBoardSize - 1);
    EXPECT_EQ(game->cursorRow, kBoardSize - 1);
}

TEST_F(KeyboardPlay, AHeldArrowRepeatsAndMovingTheMouseHandsTheAimBack) {
    InjectKey(InputKey::Right, true);
    Frame();
    EXPECT_EQ(game->cursorColumn, 8);
    for (int i = 0; i < 23; ++i) {
        Frame(10);  // 240 ms of the 250 before the first repeat
    }
    EXPECT_EQ(game->cursorColumn, 8);
    Frame(10);
    EXPECT_EQ(game->cursorColumn, 9);
    for (int i = 0; i < 14; ++i) {
        Frame(10);  // two repeats at 70 ms
    }
    EXPECT_EQ(game->cursorColumn, 11);
    InjectKey(InputKey::Right, false);
    for (int i = 0; i < 20; ++i) {
        Frame(10);
    }
    EXPECT_EQ(game->cursorColumn, 11);

    // The first arrow after the mouse takes the cursor from the cell under the pointer.
    WarpTo(CellCentre(1), CellCentre(12));
    Frame();
    EXPECT_FALSE(game->keyboardAim);
    EXPECT_EQ(game->hoverPoints, 25);
    Key(InputKey::Up);
    EXPECT_EQ(game->cursorColumn, 1);
    EXPECT_EQ(game->cursorRow, 11);
    WarpTo(CellCentre(0), CellCentre(14));
    Frame();
    EXPECT_FALSE(game->keyboardAim);
    EXPECT_EQ(game->hoverPoints, 4) << "the pointer aims again";
}

// Everything that moves with time is set going, then the game is paused for 30 seconds of frames.
TEST_F(KeyboardPlay, PausedThirtySecondsNothingMovesAndResumingCarriesOn) {
    ClickCell(1, 11);  // a removal: blocks above fall, the score starts rolling, the double bonus shows
    Frame();
    game->linesPending = 3;
    game->lineTimer = 9;
    game->timeLeft = 150;
    Key(InputKey::P);
    ASSERT_TRUE(game->paused);

    struct Snapshot {
        int32_t score, shownScore, levelPoints, timeLeft, settleFrames, messageX;
        int32_t linesPending, lineTimer, fadeLevel;
        double doubleTimer;
        std::vector<int32_t> cells;
        bool operator==(const Snapshot&) const = default;
    };
    auto take = [&] {
        return Snapshot{
            game->score,    game->shownScore,   game->levelPoints, game->timeLeft,  game->settleFrames,
            game->messageX, game->linesPending, game->lineTimer,   game->FadeLevel(), game->doubleTimer,
            Cells()};
    };
    const Snapshot before = take();
    ASSERT_GT(before.doubleTimer, 0);
    ASSERT_NE(before.shownScore, before.score);
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(Frame(100));
    }
    EXPECT_TRUE(take() == before) << "something moved during the pause";
    EXPECT_TRUE(game->paused);

    Key(InputKey::P);  // the frame that resumes moves nothing either
    EXPECT_FALSE(game->paused);
    EXPECT_TRUE(take() == before);
    Frame(100);
    EXPECT_EQ(game->timeLeft, before.timeLeft - 6) << "100 ms: six ticks";
    EXPECT_EQ(game->lineTimer, before.lineTimer - 6);
    EXPECT_DOUBLE_EQ(game->doubleTimer, before.doubleTimer - 10);
    EXPECT_NE(game->shownScore, before.shownScore);
}

TEST_F(KeyboardPlay, ALostFocusPausesAClickResumesWithoutRemovingAndEscapeStillEnds) {
    InjectFocus(false);
    Frame();
    EXPECT_TRUE(game->paused);
    InjectFocus(true);
    Frame();
    EXPECT_TRUE(game->paused) << "coming back does not resume by itself";

    ClickCell(1, 11);
    Frame();
    EXPECT_FALSE(game->paused);
    EXPECT_EQ(game->score, 0) << "the click that resumes removes nothing";

    Key(InputKey::P);
    ASSERT_TRUE(game->paused);
    InjectKey(InputKey::Escape, true);
    Frame();
    EXPECT_FALSE(game->paused);
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutToMenu);
    EXPECT_GT(RunToEnd(), 0) << "the fade-out runs and the session ends";
}

TEST_F(KeyboardPlay, PIsALetterDuringNameEntryAndNoPauseOnceTheLevelIsOver) {
    game->levelPhase = LevelPhase::NameEntry;
    PushKey(InputKey::P, 'p');
    Frame();
    EXPECT_FALSE(game->paused);
    EXPECT_STREQ(game->playerName, "p");
    game->levelPhase = LevelPhase::Lost;
    game->messageDelay = 3000;
    Key(InputKey::P);
    EXPECT_FALSE(game->paused);
}

}  // namespace
