// The play session driven frame by frame: scoring, bonuses, lines, the idle penalty, level ends and
// restarts, the settle wait, Escape and the window's close event.
#include <cstdlib>

#include "game/random_stream.h"
#include "game_test_support.h"
#include "platform/input.h"

namespace {

// A pair in the leftmost column keeps a move on the board, so the level does not end by itself; column 0
// never moves, and the groups of a test stand to its right.
void KeepAMove(Game& game, int32_t colour = 3) {
    Put(game, 0, 14, colour);
    Put(game, 0, 13, colour);
}

// The lowest score of the table a new game would play against: a final score above it is entered.
void HighTable(Game& game, int32_t lowest) {
    game.tableFloor = lowest;
}

// Boards are staged after the fade-in, so that nothing has moved by the time of the first click.
class PlaySession : public GameSession {
  protected:
    void SetUp() override {
        GameSession::SetUp();
        FillWithoutMoves(*game);
        KeepAMove(*game);
        ASSERT_TRUE(FinishFadeIn());
        ClearBoard(*game);
        KeepAMove(*game);
    }
};

TEST_F(GameSession, StartValues) {
    EXPECT_EQ(game->FadeLevel(), 0);
    EXPECT_EQ(game->fadePhase, FadePhase::FadeIn);
    EXPECT_EQ(game->FadeStep(), 1);
    EXPECT_FALSE(game->InputLive());
    EXPECT_EQ(game->timeLeft, quz::core::kLevelStartIdleTicks);
    EXPECT_EQ(game->level, 1);
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->messageX, -400);
    EXPECT_EQ(game->score, 0);
    EXPECT_STREQ(game->playerName, "");
    // The fade-in from 0 takes 256 * 5 ms.
    FillWithoutMoves(*game);
    KeepAMove(*game);
    int frames = 0;
    while (!game->InputLive() && frames < 100) {
        Frame(100);
        ++frames;
    }
    EXPECT_EQ(frames, 13);
    EXPECT_EQ(game->FadeLevel(), 256);
    EXPECT_EQ(game->fadePhase, FadePhase::Shown);
    EXPECT_EQ(game->FadeStep(), 0);
}

TEST_F(PlaySession, GroupScoresSquareOfItsSize) {
    for (int row = 10; row < 15; ++row) {
        Put(*game, 1, row, 1);
    }
    Put(*game, 2, 14, 2);  // a single block: never a group
    Put(*game, 3, 14, 1);
    WarpTo(CellCentre(1), CellCentre(12));
    Frame();
    EXPECT_EQ(game->hoverPoints, 25);

    ClickCell(1, 12);
    Frame();
    EXPECT_EQ(game->score, 25);
    EXPECT_EQ(game->levelPoints, 25);
    EXPECT_EQ(game->settleFrames, 15);
    EXPECT_EQ(game->timeLeft, quz::core::kRemovalIdleTicks - 1) << "set, then one tick ran down";
    for (int row = 10; row < 15; ++row) {
        EXPECT_EQ(game->cells[CellIndex(1, row)], 0);
    }

    // A press on a single block, an empty cell or off the board removes nothing but restarts the wait.
    Frame();
    game->settleFrames = 0;
    ClickCell(1, 14);  // the single block has moved here
    PushButton(CellCentre(5), CellCentre(5));
    PushButton(600, 100);
    Frame();
    EXPECT_EQ(game->score, 25);
    EXPECT_EQ(game->cells[CellIndex(1, 14)], 2);
    EXPECT_EQ(game->settleFrames, 15);
    EXPECT_EQ(game->timeLeft, quz::core::kRemovalIdleTicks - 3);
}

TEST_F(PlaySession, AnyButtonRemovesReleasesDoNot) {
    Put(*game, 1, 14, 2);
    Put(*game, 1, 13, 2);
    Put(*game, 2, 14, 1);
    Put(*game, 2, 13, 1);
    WarpTo(CellCentre(1), CellCentre(14));
    PushRelease(CellCentre(1), CellCentre(14));
    Frame();
    EXPECT_EQ(game->score, 0);
    ClickCell(1, 14, 4);
    Frame();
    EXPECT_EQ(game->score, 4);
    Frame();  // column 2 closes onto column 1
    ClickCell(1, 14, 3);
    Frame();
    EXPECT_EQ(game->score, 8);
}

TEST_F(PlaySession, GroupPointsStopAt999998ButBonusPointsDoNot) {
    Put(*game, 1, 14, 1);
    Put(*game, 1, 13, 1);
    Put(*game, 2, 14, 2);
    Put(*game, 2, 13, 2);
    Put(*game, 3, 14, 1);
    Put(*game, 3, 13, kPointsBonus);
    Put(*game, 3, 12, 3);
    game->score = game->shownScore = 999998;
    ClickCell(1, 14);
    Frame();
    EXPECT_EQ(game->score, 1000002);
    Frame();
    ClickCell(1, 14);  // the colour-2 pair, moved into column 1
    Frame();
    EXPECT_EQ(game->score, 1000002);
    EXPECT_EQ(game->cells[CellIndex(1, 14)], 0) << "the group still goes";
    Frame();
    Frame();
    ClickCell(1, 12);  // the points bonus over the colour-1 block, now in column 1
    Frame();
    EXPECT_TRUE(game->score == 1000002 + 500 || game->score == 1000002 + 1000) << game->score;
}

TEST_F(PlaySession, DoubleBonusScoresTwiceAndIsAnnounced) {
    Put(*game, 1, 14, 1);
    Put(*game, 2, 14, kDoubleBonus);
    Put(*game, 3, 14, 1);
    game->pointsTimer = 100;
    WarpTo(CellCentre(1), CellCentre(14));
    Frame();
    EXPECT_EQ(game->hoverPoints, 9) << "the offer does not show the doubling";
    ClickCell(1, 14);
    Frame();
    EXPECT_EQ(game->score, 18);
    EXPECT_EQ(game->levelPoints, 18);
    EXPECT_EQ(game->lastBonusKind, BonusKind::Double);
    EXPECT_EQ(game->doubleTimer, 255);
    EXPECT_EQ(game->pointsTimer, 0);
    Frame(100);
    EXPECT_DOUBLE_EQ(game->doubleTimer, 245);
}

TEST_F(PlaySession, PointsBonusFollowsTheParityOfRand) {
    for (int wanted = 0; wanted < 2; ++wanted) {
        unsigned seed = 1;
        while (RandomStream(seed).Next() % 2 != wanted) {
            ++seed;
        }
        ClearBoard(*game);
        KeepAMove(*game, 1);
        Put(*game, 1, 14, 3);
        Put(*game, 1, 13, kPointsBonus);
        game->score = game->levelPoints = 0;
        ClickCell(1, 14);
        game->pointsRandom.Seed(seed);
        Frame();
        const int32_t extra = wanted == 0 ? 1000 : 500;
        EXPECT_EQ(game->score, 4 + extra);
        EXPECT_EQ(game->levelPoints, 4 + extra);
        EXPECT_EQ(game->lastBonusKind, wanted == 0 ? BonusKind::Points1000 : BonusKind::Points500);
        EXPECT_EQ(game->pointsTimer, 255);
    }
}

TEST_F(PlaySession, AddLineDropsOneLineEveryThirteenTicksAcrossARestart) {
    // A group of 20 blocks of colour 2 holding the add-line bonus: 15 lines, not 21.
    for (int row = 0; row < 15; ++row) {
        Put(*game, 1, row, 2);
    }
    for (int row = 10; row < 15; ++row) {
        Put(*game, 2, row, row == 12 ? kAddLineBonus : 2);
    }
    game->linesPending = 0;
    ClickCell(2, 14);
    Frame();
    EXPECT_EQ(game->linesPending, 15);
    EXPECT_EQ(game->lastBonusKind, BonusKind::AddLine);
    EXPECT_EQ(game->addLineTimer, 255);
    EXPECT_EQ(game->score, 400);

    // The timer of a game's first series still holds 0: the first line comes on the next tick.
    Frame();
    EXPECT_EQ(game->linesPending, 14);
    for (int column = 1; column < kBoardSize; ++column) {
        EXPECT_NE(game->cells[CellIndex(column, 0)], 0) << "column " << column;
    }
    // Then a line every 13 ticks (216.7 ms, as 60-Hz frames gave): the timer reads 12 down to 0, then
    // drops below.
    for (int tick = 0; tick < 12; ++tick) {
        Frame();
        EXPECT_EQ(game->linesPending, 14);
    }
    Frame();
    EXPECT_EQ(game->linesPending, 13);

    // End the level now: lines go on during the message, the fade-out and into the next level.
    game->levelPhase = LevelPhase::Lost;
    game->messageDelay = quz::core::kMessageTicks;
    int32_t before = game->linesPending;
    for (int tick = 0; tick < 13; ++tick) {
        Frame();
    }
    EXPECT_EQ(game->linesPending, before - 1);
    int frames = 0;
    while (game->fadePhase != FadePhase::FadeOutToNext && frames < 200) {
        Frame(100);
        ++frames;
    }
    game->linesPending = 15;
    while (game->lives == 3 && frames < 400) {
        Frame(100);
        ++frames;
    }
    EXPECT_EQ(game->lives, 2);
    before = game->linesPending;
    EXPECT_GT(before, 0);
    EXPECT_LT(before, 15);
    for (int tick = 0; tick < 13; ++tick) {
        Frame();
    }
    EXPECT_EQ(game->linesPending, before - 1);
    while (game->linesPending > 0 && frames < 600) {
        Frame(100);
        ++frames;
    }
    ASSERT_TRUE(FinishFadeIn());

    // A new series starts 13 ticks after the bonus: the timer stayed at 12.
    ClearBoard(*game);
    KeepAMove(*game);
    Put(*game, 1, 14, 2);
    Put(*game, 1, 13, kAddLineBonus);
    Put(*game, 1, 12, 2);
    game->fadePhase = FadePhase::Shown;
    game->SetFadeLevel(256);
    ClickCell(1, 14);
    Frame();
    EXPECT_EQ(game->linesPending, 4);
    for (int tick = 0; tick < 12; ++tick) {
        Frame();
    }
    EXPECT_EQ(game->linesPending, 4) << "12 - 12 is not below 0";
    Frame();
    EXPECT_EQ(game->linesPending, 3);
}

TEST_F(PlaySession, IdlePenaltyAfterTenSecondsAtALevelStartThenEverySecond) {
    FillWithoutMoves(*game);
    KeepAMove(*game);
    game->score = game->shownScore = 1000;
    game->timeLeft = quz::core::kLevelStartIdleTicks;
    int ticks = 0;
    while (game->score == 1000 && ticks < 2000) {
        Frame();
        ++ticks;
    }
    // 600 ticks run down to -1, then the penalty falls in the next tick (10.03 s, as at 60 Hz).
    EXPECT_EQ(ticks, 602);
    EXPECT_EQ(game->score, 900);
    EXPECT_EQ(game->levelPoints, -100);
    EXPECT_EQ(game->timeLeft, quz::core::kPenaltyIdleTicks);
    ticks = 0;
    while (game->score == 900 && ticks < 500) {
        Frame();
        ++ticks;
    }
    EXPECT_EQ(ticks, 62);
}

TEST_F(PlaySession, IdlePenaltyFourSecondsAfterARemoval) {
    Put(*game, 1, 14, 1);
    Put(*game, 2, 14, 1);
    game->score = game->shownScore = 200;
    ClickCell(1, 14);
    Frame();
    ASSERT_EQ(game->score, 204);
    int ticks = 0;
    while (game->score == 204 && ticks < 1000) {
        Frame();
        ++ticks;
    }
    EXPECT_EQ(ticks, 241) << "4.02 s after the removal's tick";
    EXPECT_EQ(game->score, 104);
}

TEST_F(PlaySession, IdlePenaltyNeverTakesTheScoreBelowZero) {
    game->score = 50;
    game->levelPoints = 50;
    game->timeLeft = -1;
    Frame(100);
    EXPECT_EQ(game->score, 0);
    EXPECT_EQ(game->levelPoints, 0);
    game->timeLeft = -1;
    Frame(100);
    EXPECT_EQ(game->score, 0);
    EXPECT_EQ(game->levelPoints, 0);
    EXPECT_EQ(game->shownScore, 0);
}

TEST_F(PlaySession, PerfectClearGivesTenThousandAndTheNextLevel) {
    ClearBoard(*game);
    Put(*game, 0, 14, 2);
    Put(*game, 1, 14, 2);
    ClickCell(0, 14);
    Frame();
    EXPECT_EQ(game->score, 4);
    for (int i = 0; i < 15; ++i) {
        Frame();
        ASSERT_FALSE(game->LevelOver()) << "frame " << i;
    }
    Frame();
    EXPECT_EQ(game->levelPhase, LevelPhase::Won);
    EXPECT_EQ(game->score, 10004);
    EXPECT_EQ(game->levelPoints, 4);
    EXPECT_EQ(game->messageDelay, quz::core::kMessageTicks);

    // Clicks during the message are dropped; after 5 s the fade-out runs, then level 2 starts.
    ClickCell(5, 14);
    int ticks = 0;
    while (game->level == 1 && ticks < 1000) {
        ASSERT_TRUE(Frame());
        ++ticks;
    }
    EXPECT_EQ(game->level, 2);
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->levelPoints, 0);
    EXPECT_EQ(game->score, 10004);
    EXPECT_FALSE(game->LevelOver());
    EXPECT_EQ(game->fadePhase, FadePhase::FadeIn);
    EXPECT_EQ(game->FadeLevel(), -80);
    EXPECT_EQ(game->timeLeft, quz::core::kLevelStartIdleTicks);
    EXPECT_EQ(game->messageX, -400);
    EXPECT_EQ(game->CheckBoard(), BoardOutcome::MovesLeft) << "a full new board";
    // The message stays 300 ticks (301 to fall below 0); the fade-out starts at 255 in that tick and
    // falls by 3 1/3 a tick to -100 (107 ticks).
    EXPECT_EQ(ticks, 300 + 107);
}

TEST_F(PlaySession, FourthLostLevelIsTheGameOver) {
    HighTable(*game, 1000000);
    for (int loss = 1; loss <= 3; ++loss) {
        FillWithoutMoves(*game);
        Frame();
        ASSERT_EQ(game->levelPhase, LevelPhase::Lost);
        int frames = 0;
        while (game->levelPhase == LevelPhase::Lost && frames < 200) {
            ASSERT_TRUE(Frame(100));
            ++frames;
        }
        EXPECT_EQ(game->lives, 3 - loss);
        EXPECT_EQ(game->level, 1);
        ASSERT_TRUE(FinishFadeIn());
    }
    FillWithoutMoves(*game);
    game->score = 5000;
    game->levelPoints = 5000;
    Frame();
    EXPECT_EQ(game->levelPhase, LevelPhase::GameOver) << "5000 does not beat the table";
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_TRUE(game->bonus5000Flag);
    EXPECT_EQ(RunToEnd(100), 51 + 17);
    EXPECT_EQ(game->lives, 0);
    EXPECT_EQ(game->level, 1);
}

TEST_F(PlaySession, SettleWaitRunsFifteenFramesAfterTheLastClick) {
    ClearBoard(*game);
    Put(*game, 0, 14, 1);
    Put(*game, 0, 13, 1);
    Put(*game, 1, 14, 2);
    Put(*game, 1, 13, 2);
    ClickCell(0, 14);
    Frame();
    for (int i = 0; i < 5; ++i) {
        Frame();
    }
    ClickCell(0, 14);  // the colour-2 pair has closed onto column 0
    Frame();
    EXPECT_EQ(game->score, 8);
    for (int i = 0; i < 15; ++i) {
        Frame();
        ASSERT_FALSE(game->LevelOver()) << "frame " << i;
    }
    Frame();
    EXPECT_TRUE(game->LevelOver());
    EXPECT_EQ(game->score, 10008);
}

TEST_F(PlaySession, ClickWhileBlocksFallRemovesTheGroupUnderThePointer) {
    Put(*game, 1, 14, 3);
    Put(*game, 1, 10, 2);  // above the pair, falls with it
    Put(*game, 1, 11, 1);
    Put(*game, 1, 12, 1);  // a pair in mid-air over an empty cell
    ClickCell(1, 11);
    Frame();
    EXPECT_EQ(game->score, 4);
    int colour1 = 0;
    int colour2 = 0;
    for (int row = 0; row < kBoardSize; ++row) {
        colour1 += game->cells[CellIndex(1, row)] == 1 ? 1 : 0;
        colour2 += game->cells[CellIndex(1, row)] == 2 ? 1 : 0;
    }
    EXPECT_EQ(colour1, 0) << "both blocks of the group went";
    EXPECT_EQ(colour2, 1) << "the block above it stayed";
}

// Escape in play and in the fade-in opens the pause screen, which says that Escape leaves the game: a run
// is never thrown away by one key. Escape there leaves, in the fade-in too.
TEST_F(GameSession, EscapeDuringTheFadeInPausesAndEscapeAgainEndsTheSession) {
    FillWithoutMoves(*game);
    KeepAMove(*game);
    PushKey(InputKey::Escape);
    Frame(100);
    EXPECT_TRUE(game->paused);
    EXPECT_FALSE(game->QuitRequested());
    EXPECT_EQ(game->fadePhase, FadePhase::FadeIn);
    PushKey(InputKey::Escape);
    Frame(100);
    EXPECT_FALSE(game->paused);
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_GT(RunToEnd(100), 0);
}

TEST_F(PlaySession, EscapeInPlayPausesAndEscapeAgainEndsTheSessionAfterTheFadeOut) {
    const int32_t score = game->score;
    InjectKey(InputKey::Escape, true);
    EXPECT_TRUE(Frame(100));
    EXPECT_TRUE(game->paused);
    EXPECT_EQ(game->fadePhase, FadePhase::Shown);
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(Frame(100)) << "a held Escape is one press";
    }
    EXPECT_TRUE(game->paused);
    InjectKey(InputKey::Escape, false);
    PushKey(InputKey::Escape);
    EXPECT_TRUE(Frame(100));
    EXPECT_FALSE(game->paused);
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutToMenu);
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_EQ(game->FadeStep(), -1);
    // The paused give-up starts the fade-out at once; its 107 ticks take 18 frames of six.
    EXPECT_EQ(RunToEnd(100), 18);
    EXPECT_EQ(game->score, score);
}

TEST_F(PlaySession, EscapeDuringTheLevelMessageEndsWithoutALevelChange) {
    ClearBoard(*game);
    for (int i = 0; i < 20 && !game->LevelOver(); ++i) {
        Frame();
    }
    ASSERT_EQ(game->levelPhase, LevelPhase::Won);
    InjectKey(InputKey::Escape, true);
    Frame(100);
    EXPECT_FALSE(game->paused) << "no pause once the level is over";
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutToMenu);
    InjectKey(InputKey::Escape, false);
    // The give-up is judged at the first tick's end, so the fade moved in the frame's other five ticks.
    EXPECT_EQ(RunToEnd(100), 17);
    EXPECT_EQ(game->level, 1);
    EXPECT_EQ(game->lives, 3);
}

// The window's close button keeps its meaning in play (end the game, play input stays live during the
// fade-out) and is no longer lost while input is ignored: it waits and counts once play resumes.
TEST_F(GameSession, ACloseDuringTheFadeInIsRememberedUntilPlayStarts) {
    FillWithoutMoves(*game);
    KeepAMove(*game);
    PushQuit();
    Frame(100);
    EXPECT_FALSE(game->QuitRequested()) << "not acted on during the fade-in";
    ASSERT_TRUE(FinishFadeIn(kOneTick));
    Frame();
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutInPlay);
    EXPECT_TRUE(game->InputLive()) << "play input stays live";
    PushQuit();
    Frame(100);
    EXPECT_GT(game->FadeLevel(), 0) << "a second close does not restart the fade-out";
    EXPECT_GT(RunToEnd(100), 0);
}

TEST_F(PlaySession, ACloseDuringTheLevelMessageEndsTheGameOnceTheNextLevelIsInPlay) {
    FillWithoutMoves(*game);
    ASSERT_TRUE(Frame());
    ASSERT_EQ(game->levelPhase, LevelPhase::Lost);
    PushQuit();
    int frames = 0;
    while (game->lives == 3 && frames < 200) {
        ASSERT_TRUE(Frame(100));
        ++frames;
    }
    EXPECT_EQ(game->lives, 2);
    EXPECT_FALSE(game->QuitRequested()) << "the message and the fades run as before";
    KeepAMove(*game);
    ASSERT_TRUE(FinishFadeIn(kOneTick));
    Frame();
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutInPlay);
    EXPECT_GT(RunToEnd(100), 0);
    EXPECT_EQ(game->lives, 2);
}

}  // namespace

namespace {

// The two phases overlap here: after the close event play goes on, a level may still end in the fade-out,
// and the session ends all the same, with neither a restart nor a level change.
TEST_F(PlaySession, LevelClearedDuringTheCloseFadeOutStillEndsTheSession) {
    Put(*game, 1, 14, 1);
    Put(*game, 1, 13, 1);
    PushQuit();
    Frame(100);
    ASSERT_EQ(game->fadePhase, FadePhase::FadeOutInPlay);
    ClickCell(0, 14);
    Frame(100);
    Frame(100);        // column 1 closes onto the emptied column 0
    ClickCell(0, 14);  // the colour-1 pair
    for (int i = 0; i < 20 && !game->LevelOver(); ++i) {
        Frame();
    }
    ASSERT_EQ(game->levelPhase, LevelPhase::Won);
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutInPlay);
    EXPECT_GT(RunToEnd(100), 0);
    EXPECT_EQ(game->level, 1);
}

}  // namespace
