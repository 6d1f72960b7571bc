// The play session driven frame by frame: scoring, bonuses, lines, the idle penalty, level ends and
// restarts, the settle wait, Escape and the window's close event.
#include <cstdlib>

#include "game/high_score_table.h"
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

// The table a new game would play against: its lowest score is the session's floor.
void HighTable(Game& game, int32_t lowest) {
    for (int i = 0; i < kHighScoreCount; ++i) {
        HighScoreTable[i] = HighScoreEntry{"OLD", lowest + 100 * (kHighScoreCount - 1 - i), 0};
    }
    game.tableFloor = quz::core::TableFloor(HighScoreTable);
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
    EXPECT_EQ(game->timeLeft, 10000);
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
    EXPECT_EQ(game->timeLeft, 4000 - 10);
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
    EXPECT_EQ(game->timeLeft, 4000 - 30);
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
    ClickCell(1, 14, SDL_BUTTON_WHEELUP);
    Frame();
    EXPECT_EQ(game->score, 4);
    Frame();  // column 2 closes onto column 1
    ClickCell(1, 14, SDL_BUTTON_RIGHT);
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
        game->rulesRandom.Seed(seed);
        Frame();
        const int32_t extra = wanted == 0 ? 1000 : 500;
        EXPECT_EQ(game->score, 4 + extra);
        EXPECT_EQ(game->levelPoints, 4 + extra);
        EXPECT_EQ(game->lastBonusKind, wanted == 0 ? BonusKind::Points1000 : BonusKind::Points500);
        EXPECT_EQ(game->pointsTimer, 255);
    }
}

TEST_F(PlaySession, AddLineDropsOneLinePer200MsAcrossARestart) {
    // A group of 20 blocks of colour 2 holding the add-line bonus: 15 lines, not 21.
    for (int row = 0; row < 15; ++row) {
        Put(*game, 1, row, 2);
    }
    for (int row = 10; row < 15; ++row) {
        Put(*game, 2, row, row == 12 ? kAddLineBonus : 2);
    }
    game->linesPending = 0;
    ClickCell(2, 14);
    Frame(50);
    EXPECT_EQ(game->linesPending, 15);
    EXPECT_EQ(game->lastBonusKind, BonusKind::AddLine);
    EXPECT_EQ(game->addLineTimer, 255);
    EXPECT_EQ(game->score, 400);

    // The timer of a game's first series still holds 0: the first line comes on the next frame.
    Frame(50);
    EXPECT_EQ(game->linesPending, 14);
    for (int column = 1; column < kBoardSize; ++column) {
        EXPECT_NE(game->cells[CellIndex(column, 0)], 0) << "column " << column;
    }
    // Then one line per 200 ms: with 50-ms frames the timer reads 150, 100, 50, 0, then drops below.
    for (int frame = 0; frame < 4; ++frame) {
        Frame(50);
        EXPECT_EQ(game->linesPending, 14);
    }
    Frame(50);
    EXPECT_EQ(game->linesPending, 13);

    // End the level now: lines go on during the message, the fade-out and into the next level.
    game->levelPhase = LevelPhase::Lost;
    game->messageDelay = 5000;
    int32_t before = game->linesPending;
    Frame(100);
    Frame(100);
    Frame(100);
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
    Frame(100);
    Frame(100);
    Frame(100);
    EXPECT_EQ(game->linesPending, before - 1);
    while (game->linesPending > 0 && frames < 600) {
        Frame(100);
        ++frames;
    }
    ASSERT_TRUE(FinishFadeIn());

    // A new series starts 200 ms after the bonus: the timer stayed at 200.
    ClearBoard(*game);
    KeepAMove(*game);
    Put(*game, 1, 14, 2);
    Put(*game, 1, 13, kAddLineBonus);
    Put(*game, 1, 12, 2);
    game->fadePhase = FadePhase::Shown;
    game->SetFadeLevel(256);
    ClickCell(1, 14);
    Frame(100);
    EXPECT_EQ(game->linesPending, 4);
    Frame(100);
    EXPECT_EQ(game->linesPending, 4);
    Frame(100);
    EXPECT_EQ(game->linesPending, 4) << "200 - 200 is not below 0";
    Frame(100);
    EXPECT_EQ(game->linesPending, 3);
}

TEST_F(PlaySession, IdlePenaltyAfterTenSecondsAtALevelStartThenEverySecond) {
    FillWithoutMoves(*game);
    KeepAMove(*game);
    game->score = game->shownScore = 1000;
    game->timeLeft = 10000;
    int elapsed = 0;
    while (game->score == 1000 && elapsed < 20000) {
        Frame(100);
        elapsed += 100;
    }
    // 10000 ms run down to -100, then the penalty falls in the next frame.
    EXPECT_EQ(elapsed, 10200);
    EXPECT_EQ(game->score, 900);
    EXPECT_EQ(game->levelPoints, -100);
    EXPECT_EQ(game->timeLeft, 999);
    elapsed = 0;
    while (game->score == 900 && elapsed < 5000) {
        Frame(100);
        elapsed += 100;
    }
    EXPECT_EQ(elapsed, 1100);
}

TEST_F(PlaySession, IdlePenaltyFourSecondsAfterARemoval) {
    Put(*game, 1, 14, 1);
    Put(*game, 2, 14, 1);
    game->score = game->shownScore = 200;
    ClickCell(1, 14);
    Frame(100);
    ASSERT_EQ(game->score, 204);
    int elapsed = 0;
    while (game->score == 204 && elapsed < 10000) {
        Frame(100);
        elapsed += 100;
    }
    EXPECT_EQ(elapsed, 4100);
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
    EXPECT_EQ(game->messageDelay, 5000);

    // Clicks during the message are dropped; after 5 s the fade-out runs, then level 2 starts.
    ClickCell(5, 14);
    int frames = 0;
    while (game->level == 1 && frames < 100) {
        ASSERT_TRUE(Frame(100));
        ++frames;
    }
    EXPECT_EQ(game->level, 2);
    EXPECT_EQ(game->lives, 3);
    EXPECT_EQ(game->levelPoints, 0);
    EXPECT_EQ(game->score, 10004);
    EXPECT_FALSE(game->LevelOver());
    EXPECT_EQ(game->fadePhase, FadePhase::FadeIn);
    EXPECT_EQ(game->FadeLevel(), -80);
    EXPECT_EQ(game->timeLeft, 10000);
    EXPECT_EQ(game->messageX, -400);
    EXPECT_EQ(game->CheckBoard(), BoardOutcome::MovesLeft) << "a full new board";
    // The message stays 5000 ms (51 frames to fall below 0); the fade-out starts at 255 in that frame's
    // drawing and falls by 20 a frame to -100.
    EXPECT_EQ(frames, 51 + 17);
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

TEST_F(GameSession, EscapeIsIgnoredWhileFadingIn) {
    FillWithoutMoves(*game);
    KeepAMove(*game);
    HoldKey(SDLK_ESCAPE, true);
    Frame(100);
    EXPECT_FALSE(game->QuitRequested());
    EXPECT_EQ(game->fadePhase, FadePhase::FadeIn);
}

TEST_F(PlaySession, EscapeInPlayEndsTheSessionAfterTheFadeOut) {
    HoldKey(SDLK_ESCAPE, true);
    EXPECT_TRUE(Frame(100));
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutToMenu);
    EXPECT_TRUE(game->QuitRequested());
    EXPECT_EQ(game->FadeStep(), -1);
    EXPECT_EQ(RunToEnd(100), 18) << "Escape still held changes nothing during the fade-out";
}

TEST_F(PlaySession, EscapeDuringTheLevelMessageEndsWithoutALevelChange) {
    ClearBoard(*game);
    for (int i = 0; i < 20 && !game->LevelOver(); ++i) {
        Frame();
    }
    ASSERT_EQ(game->levelPhase, LevelPhase::Won);
    HoldKey(SDLK_ESCAPE, true);
    Frame(100);
    HoldKey(SDLK_ESCAPE, false);
    EXPECT_EQ(RunToEnd(100), 18);
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
    ASSERT_TRUE(FinishFadeIn());
    Frame(100);
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
    ASSERT_TRUE(FinishFadeIn());
    Frame(100);
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
        Frame(10);
    }
    ASSERT_EQ(game->levelPhase, LevelPhase::Won);
    EXPECT_EQ(game->fadePhase, FadePhase::FadeOutInPlay);
    EXPECT_GT(RunToEnd(100), 0);
    EXPECT_EQ(game->level, 1);
}

}  // namespace
