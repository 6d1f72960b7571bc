// Deals you can share: a game's seed deals every (level, attempt) the same board whatever was played
// before it, and the lines and points bonuses of one deal never move the next one.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/session.h"

namespace {

using namespace quz::core;

std::vector<int32_t> Cells(const Session& session) {
    return {std::begin(session.cells), std::end(session.cells)};
}

void Send(Session& session, CommandKind kind, uint16_t arg = 0) {
    session.Apply(Command{session.CurrentTick(), kind, arg});
}

// Runs until the level's end has been played out and the next deal is on the board.
void RunToNextDeal(Session& session) {
    const int32_t level = session.level;
    const int32_t lives = session.lives;
    for (int i = 0; i < 2000 && session.level == level && session.lives == lives; ++i) {
        session.Step();
    }
    ASSERT_TRUE(session.level != level || session.lives != lives);
}

void EndLevel(Session& session, bool won) {
    for (int32_t& value : session.cells) {
        value = kEmptyCell;
    }
    if (!won) {
        session.cells[CellIndex(3, 14)] = 1;
    }
    session.settleFrames = 0;
    session.Step();
    ASSERT_EQ(session.levelPhase, won ? LevelPhase::Won : LevelPhase::Lost);
}

// Some play: removals anywhere on the board, a points bonus and an add-line bonus among them.
void Play(Session& session, int removals) {
    for (int i = 0; i < removals; ++i) {
        Send(session, CommandKind::Remove, static_cast<uint16_t>((i * 37) % kCellCount));
        for (int tick = 0; tick < 20; ++tick) {
            session.Step();
        }
    }
}

TEST(Deals, LevelTwoOnItsFirstAttemptIsTheSameBoardWhateverLevelOneSaw) {
    Session quick(SessionSettings{77, 0, 1});
    Session slow(SessionSettings{77, 0, 9});
    ASSERT_EQ(Cells(quick), Cells(slow)) << "the same seed deals the same first board";
    while (quick.fadePhase == FadePhase::FadeIn || slow.fadePhase == FadePhase::FadeIn) {
        quick.Step();
        slow.Step();
    }
    Play(slow, 40);
    slow.linesPending = 5;  // lines still dropping into level 1 draw from level 1's stream
    for (int tick = 0; tick < 30; ++tick) {
        slow.Step();
    }
    ASSERT_NE(Cells(quick), Cells(slow)) << "the two plays must differ, or this test proves nothing";
    EndLevel(quick, true);
    EndLevel(slow, true);
    slow.linesPending = 0;
    RunToNextDeal(quick);
    RunToNextDeal(slow);
    ASSERT_EQ(quick.level, 2);
    ASSERT_EQ(slow.level, 2);
    EXPECT_EQ(Cells(quick), Cells(slow));
    EXPECT_EQ(quick.dealRandom.State(), slow.dealRandom.State());
    EXPECT_EQ(quick.pointsRandom.State(), slow.pointsRandom.State());
}

TEST(Deals, EachAttemptAtALevelHasItsOwnBoardTheSameForEveryone) {
    Session first(SessionSettings{2026, 0, 1});
    Session second(SessionSettings{2026, 0, 1});
    const std::vector<int32_t> attempt0 = Cells(first);
    EndLevel(first, false);
    RunToNextDeal(first);
    Play(second, 10);
    EndLevel(second, false);
    RunToNextDeal(second);
    ASSERT_EQ(first.attempt, 1);
    ASSERT_EQ(first.level, 1);
    EXPECT_EQ(Cells(first), Cells(second));
    EXPECT_NE(Cells(first), attempt0) << "a level played again is dealt anew";

    Session otherSeed(SessionSettings{2027, 0, 1});
    EXPECT_NE(Cells(otherSeed), attempt0);
    // The keys of neighbouring deals give unrelated streams.
    EXPECT_NE(StreamSeed(2026, 1, 0, RulesStream::Deal), StreamSeed(2026, 1, 1, RulesStream::Deal));
    EXPECT_NE(StreamSeed(2026, 1, 0, RulesStream::Deal), StreamSeed(2026, 2, 0, RulesStream::Deal));
    EXPECT_NE(StreamSeed(2026, 1, 0, RulesStream::Deal), StreamSeed(2026, 1, 0, RulesStream::Points));
    EXPECT_NE(StreamSeed(2026, 1, 0, RulesStream::Deal), StreamSeed(2026ull | 1ull << 40, 1, 0, RulesStream::Deal))
        << "all 64 bits of the seed count";
}

TEST(Deals, TheSameSeedAndCommandsGiveTheSameGame) {
    std::vector<Command> commands;
    for (Tick tick = 80; tick < 3000; tick += 25) {
        commands.push_back({tick, CommandKind::Remove, static_cast<uint16_t>((tick * 7) % kCellCount)});
    }
    const RunResult first = RunCommands(SessionSettings{5, 0, 1}, commands, 4000);
    const RunResult second = RunCommands(SessionSettings{5, 0, 123}, commands, 4000);
    EXPECT_EQ(first.stateHash, second.stateHash);
    EXPECT_EQ(first.score, second.score);
    EXPECT_TRUE(first.wellFormed);
    commands[10].arg = static_cast<uint16_t>((commands[10].arg + 1) % kCellCount);
    const RunResult changed = RunCommands(SessionSettings{5, 0, 1}, commands, 4000);
    EXPECT_NE(changed.stateHash, first.stateHash) << "one command changed shows in the hash";
}

TEST(Deals, ARunAlwaysEndsEvenWhenTheListDoesNot) {
    const std::vector<Command> pausedForEver = {{90, CommandKind::Pause, 0}};
    const RunResult paused = RunCommands(SessionSettings{5, 0, 1}, pausedForEver, kTickCap);
    EXPECT_EQ(paused.ticks, 91u) << "the pause's tick ran; nothing after it";
    EXPECT_TRUE(paused.wellFormed);
    const std::vector<Command> stampedLater = {{90, CommandKind::Pause, 0}, {500, CommandKind::Resume, 0}};
    const RunResult later = RunCommands(SessionSettings{5, 0, 1}, stampedLater, 600);
    EXPECT_FALSE(later.wellFormed) << "a command stamped after a pause's tick cannot come from the game";
    EXPECT_EQ(later.ticks, 600u);
    const std::vector<Command> backwards = {{90, CommandKind::Aim, 3}, {80, CommandKind::Aim, 4}};
    EXPECT_FALSE(RunCommands(SessionSettings{5, 0, 1}, backwards, 200).wellFormed);
}

}  // namespace
