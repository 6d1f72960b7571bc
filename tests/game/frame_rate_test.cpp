// The display's rate does not change the game: the same clicks, made at the same moments, give the same
// game on a 60, 75 or 144 Hz display, because the session runs in ticks of 1/60 s whatever the frames.
#include <gtest/gtest.h>

#include <vector>

#include "game/shared_state.h"
#include "game_test_support.h"
#include "platform/input.h"

namespace {

using quz::core::Command;
using quz::core::CommandKind;
using quz::core::Session;
using quz::core::Tick;

struct Click {
    Tick tick;
    uint16_t cell;
};

struct Outcome {
    int32_t score;
    int32_t level;
    int32_t lives;
    LevelPhase phase;
    std::vector<int32_t> cells;
    bool operator==(const Outcome&) const = default;
};

constexpr uint64_t kSeed = 41;

// A player who takes the largest group every 40 ticks while nothing is falling or dropping in, up to the
// first level's end: played headless on the session, so the clicks are known in advance.
std::vector<Click> PlanClicks() {
    Session session(SessionSettings{kSeed, 0, 1});
    std::vector<Click> clicks;
    Tick quietSince = 0;
    while (!session.LevelOver() && session.CurrentTick() < 20000) {
        if (session.linesPending != 0) {
            quietSince = session.CurrentTick();
        }
        const bool quiet = session.CurrentTick() - quietSince > 20;
        if (session.CurrentTick() % 40 == 0 && session.InputLive() && quiet) {
            int best = 0;
            uint16_t bestCell = 0;
            for (int cell = 0; cell < kCellCount; ++cell) {
                Board copy = session;
                const int n = copy.MarkGroupAtCell(cell % kBoardSize, cell / kBoardSize);
                if (n > best) {
                    best = n;
                    bestCell = static_cast<uint16_t>(cell);
                }
            }
            clicks.push_back({session.CurrentTick(), bestCell});
            session.Apply(Command{session.CurrentTick(), CommandKind::Remove, bestCell});
        }
        session.Step();
    }
    return clicks;
}

class FrameRates : public GameSession {
  protected:
    // Plays the clicks at their moments on a display of `hertz`, frame times in whole milliseconds as
    // the clock gives them, until the level's end has been played out into the next deal.
    Outcome PlayAt(int hertz, const std::vector<Click>& clicks) {
        DestroyGame(game);
        game = new Game(SessionSettings{kSeed, 0, 1});
        const int64_t end = static_cast<int64_t>(clicks.back().tick) * 1000 / 60 + 9000;
        size_t next = 0;
        int64_t previous = 0;
        for (int64_t frame = 1;; ++frame) {
            const int64_t now = frame * 1000 / hertz;
            if (now > end) {
                break;
            }
            if (next < clicks.size() && (static_cast<int64_t>(clicks[next].tick) * 1000 + 59) / 60 <= now) {
                const int x = CellCentre(clicks[next].cell % kBoardSize);
                const int y = CellCentre(clicks[next].cell / kBoardSize);
                WarpTo(x, y);
                PushButton(x, y);
                PushRelease(x, y);
                ++next;
            }
            EXPECT_TRUE(Frame(static_cast<int>(now - previous)));
            previous = now;
        }
        EXPECT_EQ(next, clicks.size());
        return {game->score, game->level, game->lives, game->levelPhase, {std::begin(game->cells), std::end(game->cells)}};
    }
};

// The same commands played in the window at three rates: every frame runs at most one tick at these
// rates, so each run stops exactly at the last tick, where the state must be the headless run's to the
// hash. The removals come every 7 ticks, while blocks still fall and lines drop in, where frame-counted
// falling against millisecond timers would part the games.
TEST_F(FrameRates, TheSameCommandsGiveTheSameStateAt60_75And144Hz) {
    std::vector<Command> commands;
    for (Tick tick = 90; tick < 1500; tick += 7) {
        commands.push_back({tick, CommandKind::Remove, static_cast<uint16_t>((tick * 37) % kCellCount)});
    }
    constexpr Tick kLastTick = 1800;
    const quz::core::RunResult headless = RunCommands(SessionSettings{kSeed, 0, 1}, commands, kLastTick);
    ASSERT_GT(headless.score, 500);
    for (const int hertz : {60, 75, 144}) {
        DestroyGame(game);
        game = new Game(SessionSettings{kSeed, 0, 1});
        game->script = commands;
        int64_t previous = 0;
        for (int64_t frame = 1; game->CurrentTick() < kLastTick && frame < 100000; ++frame) {
            const int64_t now = frame * 1000 / hertz;
            ASSERT_TRUE(Frame(static_cast<int>(now - previous)));
            previous = now;
        }
        EXPECT_EQ(game->CurrentTick(), kLastTick) << hertz;
        EXPECT_EQ(game->score, headless.score) << hertz;
        EXPECT_EQ(game->StateHash(), headless.stateHash) << hertz;
    }
}

TEST_F(FrameRates, TheSameClicksGiveTheSameGameAt60_75And144Hz) {
    const std::vector<Click> clicks = PlanClicks();
    ASSERT_GT(clicks.size(), 20u);
    const Outcome at60 = PlayAt(60, clicks);
    EXPECT_GT(at60.score, 1000);
    EXPECT_TRUE(at60.level == 2 || at60.lives == 2) << "the level's end was played out into the next deal";
    EXPECT_TRUE(PlayAt(75, clicks) == at60);
    EXPECT_TRUE(PlayAt(144, clicks) == at60);
}

}  // namespace
