// The commands the game screen records while a player plays are the whole game: re-played headless from
// the game's seed, they reach the very state the screen's session reached (score, level, ticks and the
// state hash), with clicks, keys, a pause, the name entry and a give-up among them.
#include <gtest/gtest.h>

#include <cstring>

#include "core/replay_check.h"
#include "game/shared_state.h"
#include "game_test_support.h"

namespace {

class RecordedGame : public GameSession {
  protected:
    void SetUp() override {
        GameSession::SetUp();
        DestroyGame(game);
        SessionSettings settings;
        settings.seed = 0x1234567890ABCDEFull;
        settings.tableFloor = 0;
        game = new Game(settings);
    }

    // The game as recorded, and whether its re-play reaches the screen's own end.
    void ExpectReplayMatches() {
        const quz::core::Replay replay = quz::core::ReplayOf(*game, game->recorded, "NORMAL");
        EXPECT_FALSE(replay.commands.empty());
        EXPECT_EQ(quz::core::FirstDifference(replay.outcome, quz::core::Replayed(replay)), "");
    }

    // A sweep of clicks over the board, bottom row first: the pointer moves in one frame (the aim is
    // taken at a frame's start), the button goes down in the next. Every click restarts the wait before
    // the end-of-level test, so the sweep ends with a rest long enough for it.
    void Sweep() {
        for (int row = kBoardSize - 1; row >= 0 && game->levelPhase == LevelPhase::Playing; --row) {
            for (int column = 0; column < kBoardSize; ++column) {
                WarpTo(CellCentre(column), CellCentre(row));
                Frame(16);
                ClickCell(column, row);
                Frame(16);
            }
        }
        for (int i = 0; i < 30; ++i) {
            Frame(16);
        }
    }
};

TEST_F(RecordedGame, MouseKeysPauseAndGiveUp) {
    ASSERT_TRUE(FinishFadeIn(16));
    Sweep();
    PushKey(InputKey::P);
    Frame(16);
    Frame(16);
    PushKey(InputKey::P);
    Frame(16);
    for (InputKey key :
         {InputKey::Left, InputKey::Left, InputKey::Down, InputKey::Return, InputKey::Up, InputKey::Space}) {
        PushKey(key);
        Frame(16);
        Frame(16);
    }
    Sweep();
    // Escape opens the pause screen; Escape there leaves the game.
    PushKey(InputKey::Escape);
    Frame(16);
    PushKey(InputKey::Escape);
    Frame(16);
    ASSERT_GT(RunToEnd(16, 2000), 0);
    EXPECT_GT(game->score, 0);
    ExpectReplayMatches();
}

// The entry opens with the last name confirmed, typed in as commands: the replay's re-play, whose state
// hash covers the name, ends on the same name (the server's check).
TEST_F(RecordedGame, PlayedToTheNameEntry) {
    strcpy(game->prefillName, "Ann");
    ASSERT_TRUE(FinishFadeIn(16));
    // Level messages and fades pass frame by frame; every level is swept until no group is left.
    for (int round = 0; round < 3000 && game->levelPhase != LevelPhase::NameEntry && !game->Over(); ++round) {
        if (game->levelPhase == LevelPhase::Playing && game->InputLive()) {
            Sweep();
        }
        Frame(16);
    }
    ASSERT_EQ(game->levelPhase, LevelPhase::NameEntry)
        << "score " << game->score << ", level " << game->level;
    Frame(16);
    EXPECT_STREQ(game->playerName, "Ann");
    PushKey(InputKey::Backspace);
    Frame(16);
    for (uint32_t c : {uint32_t{'Z'}, uint32_t{'o'}, uint32_t{0xE9}}) {
        PushText(c);
        Frame(16);
    }
    PushKey(InputKey::Backspace);
    Frame(16);
    PushText('e');
    // Return counts once the name entry has been up for half a second.
    for (int i = 0; i < 40; ++i) {
        Frame(16);
    }
    PushKey(InputKey::Return);
    Frame(16);
    ASSERT_GT(RunToEnd(16, 2000), 0);
    EXPECT_STREQ(game->playerName, "AnZoe");  // the accented letter typed, then taken back
    ExpectReplayMatches();
}

}  // namespace
