// The session as a pure simulation: commands judged at their step, the pause standing still, the digest
// of the state, and a whole game run headless from its commands.
#include "core/session.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace quz::core;


void Put(Session& session, int column, int row, int32_t value) {
    session.cells[CellIndex(column, row)] = value;
}

void Clear(Session& session) {
    for (int32_t& value : session.cells) {
        value = kEmptyCell;
    }
}

// A full board in which no two orthogonal neighbours share a colour.
void NoMoves(Session& session) {
    for (int column = 0; column < kBoardSize; ++column) {
        for (int row = 0; row < kBoardSize; ++row) {
            Put(session, column, row, 1 + (column + row) % 3);
        }
    }
}

uint16_t Cell(int column, int row) {
    return static_cast<uint16_t>(row * kBoardSize + column);
}

void Send(Session& session, CommandKind kind, uint16_t arg = 0) {
    session.Apply(Command{session.CurrentTick(), kind, arg});
}

// A session in play (its fade-in over) on a board without moves but for a pair in the left column.
Session InPlay(uint64_t seed = 5) {
    Session session(SessionSettings{seed, 0, 1});
    NoMoves(session);
    Put(session, 0, 14, 3);
    Put(session, 0, 13, 3);
    for (int i = 0; i < 200 && session.fadePhase == FadePhase::FadeIn; ++i) {
        session.Step();
    }
    EXPECT_EQ(session.fadePhase, FadePhase::Shown);
    return session;
}

TEST(SessionCommands, ARemovalTakesTheGroupMarkedAtItsCellAtTheStepsStart) {
    Session session = InPlay();
    Clear(session);
    Put(session, 0, 14, 3);
    Put(session, 0, 13, 3);
    Put(session, 1, 14, 1);
    Put(session, 1, 13, 1);
    Put(session, 1, 12, 1);
    Send(session, CommandKind::Aim, Cell(0, 14));
    session.Step();
    EXPECT_EQ(session.hoverPoints, 4);
    // The aim moves and the removal comes in the same step: the removal's own cell is judged.
    Send(session, CommandKind::Aim, Cell(0, 14));
    Send(session, CommandKind::Remove, Cell(1, 14));
    session.Step();
    EXPECT_EQ(session.score, 9);
    ASSERT_EQ(session.Events().size(), 1u);
    EXPECT_EQ(session.Events()[0].kind, EventKind::GroupRemoved);
    EXPECT_EQ(session.Events()[0].a, 3);
}

TEST(SessionCommands, ARemovalOffTheBoardRestartsTheSettleWait) {
    Session session = InPlay();
    Clear(session);
    Put(session, 0, 14, 3);
    Put(session, 0, 13, 3);
    Send(session, CommandKind::Remove, Cell(0, 14));
    session.Step();
    for (int i = 0; i < 10; ++i) {
        session.Step();
    }
    Send(session, CommandKind::Remove, kNoCell);
    session.Step();
    EXPECT_EQ(session.settleFrames, 15);
    EXPECT_TRUE(session.Events().empty()) << "nothing removed, nothing to hear";
    for (int i = 0; i < 15; ++i) {
        session.Step();
        ASSERT_FALSE(session.LevelOver()) << i;
    }
    session.Step();
    EXPECT_EQ(session.levelPhase, LevelPhase::Won);
}

TEST(SessionCommands, APausedSessionStandsStillAndKeepsTheRestForTheNextStep) {
    Session session = InPlay();
    Send(session, CommandKind::Pause);
    session.Step();
    ASSERT_TRUE(session.paused);
    const Tick tick = session.CurrentTick();
    const int32_t idle = session.timeLeft;
    for (int i = 0; i < 50; ++i) {
        session.Step();
    }
    EXPECT_EQ(session.CurrentTick(), tick) << "paused time is not ticked";
    EXPECT_EQ(session.timeLeft, idle);
    // A name character is dropped; the resume ends the pause; the removal after it waits for the next step.
    Send(session, CommandKind::NameChar, 'a');
    Send(session, CommandKind::Resume);
    Send(session, CommandKind::Remove, Cell(0, 14));
    session.Step();
    EXPECT_FALSE(session.paused);
    EXPECT_EQ(session.CurrentTick(), tick);
    EXPECT_EQ(session.score, 0);
    session.Step();
    EXPECT_EQ(session.score, 9) << "the pair and its neighbour of the same colour";
    EXPECT_EQ(session.CurrentTick(), tick + 1);
}

TEST(SessionCommands, GivingUpWhilePausedLeavesInEveryPausablePhase) {
    Session fadingIn(SessionSettings{5, 0, 1});
    Send(fadingIn, CommandKind::Pause);
    fadingIn.Step();
    ASSERT_TRUE(fadingIn.paused);
    Send(fadingIn, CommandKind::GiveUp);
    fadingIn.Step();
    EXPECT_FALSE(fadingIn.paused);
    EXPECT_EQ(fadingIn.fadePhase, FadePhase::FadeOutToMenu);

    Session fadingInUnpaused(SessionSettings{5, 0, 1});
    Send(fadingInUnpaused, CommandKind::GiveUp);
    fadingInUnpaused.Step();
    EXPECT_EQ(fadingInUnpaused.fadePhase, FadePhase::FadeIn) << "a give-up in the fade-in does nothing";
}

TEST(SessionCommands, TheCloseWaitsForPlayAndEndsTheSession) {
    Session session(SessionSettings{5, 0, 1});
    Send(session, CommandKind::Close);
    session.Step();
    EXPECT_TRUE(session.closePending);
    EXPECT_EQ(session.fadePhase, FadePhase::FadeIn);
    int steps = 0;
    while (!session.Over() && steps < 1000) {
        session.Step();
        ++steps;
    }
    EXPECT_TRUE(session.Over());
    EXPECT_EQ(session.Events().back().kind, EventKind::SessionOver);
}

TEST(SessionNames, TypedCharactersAreFoldedAndRefusedAsTheNameRulesSay) {
    Session session = InPlay();
    session.lives = 0;
    session.score = 50;
    NoMoves(session);
    session.Step();
    ASSERT_EQ(session.levelPhase, LevelPhase::NameEntry);
    for (const uint16_t code : {uint16_t{'J'}, uint16_t{0xE9}, uint16_t{0xDF}, uint16_t{0x416}, uint16_t{'#'},
                                uint16_t{' '}, uint16_t{'!'}}) {
        Send(session, CommandKind::NameChar, code);
    }
    Send(session, CommandKind::Backspace);
    session.Step();
    EXPECT_STREQ(session.playerName, "Jess ");
    Send(session, CommandKind::Confirm);
    session.Step();
    ASSERT_FALSE(session.Events().empty());
    EXPECT_EQ(session.Events()[0].kind, EventKind::NameConfirmed);
    EXPECT_EQ(session.Events()[0].a, 50);
    EXPECT_EQ(session.fadePhase, FadePhase::FadeOutToMenu);
}

TEST(SessionState, TheHashFollowsTheRulesStateOnly) {
    Session first(SessionSettings{9, 0, 1});
    Session second(SessionSettings{9, 0, 12345});
    EXPECT_EQ(first.StateHash(), second.StateHash()) << "the decoration is not part of the rules";
    Session other(SessionSettings{10, 0, 1});
    EXPECT_NE(first.StateHash(), other.StateHash());
    first.Step();
    EXPECT_NE(first.StateHash(), second.StateHash());
    second.Step();
    EXPECT_EQ(first.StateHash(), second.StateHash());
    Send(first, CommandKind::Aim, Cell(3, 3));
    first.Step();
    second.Step();
    EXPECT_NE(first.StateHash(), second.StateHash()) << "where the player aims is state";
}

}  // namespace
