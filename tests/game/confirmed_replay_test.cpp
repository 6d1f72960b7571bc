// The replay the game hands the sender when the name is confirmed: the commands the presenter gave and
// the end the rules reach from there. The score server re-plays it and must reach that same end, or every
// honest game would be refused.
#include <gtest/gtest.h>

#include "core/replay_check.h"
#include "game/game.h"
#include "game_test_support.h"
#include "platform/text.h"
#include "support/robot_player.h"

namespace {

class ConfirmedReplay : public GameSession {};

TEST_F(ConfirmedReplay, TheGameSentAtTheNameIsTheOneTheServerReplays) {
    const quz::core::Replay robot = PlayRobotGame(0x51a7e, "DAILY-20261207", "Robo", 12);
    ASSERT_TRUE(robot.outcome.over);
    DestroyGame(game);
    game = new Game(quz::core::SettingsOf(robot));
    CopyText(game->mode, "DAILY-20261207");
    game->script = robot.commands;
    bool confirmed = false;
    // Frames of a 60 Hz display and a slower one in turn: the ticks, not the frames, make the game.
    for (int frame = 0; frame < 200000 && !confirmed; ++frame) {
        ASSERT_TRUE(Frame(frame % 3 == 0 ? 33 : 16));
        confirmed = game->TakeNameConfirmed();
    }
    ASSERT_TRUE(confirmed) << "the robot's game reaches its name";
    quz::core::Replay sent = game->ConfirmedReplay();
    EXPECT_EQ(sent.mode, "DAILY-20261207");
    EXPECT_EQ(sent.seed, robot.seed);
    EXPECT_EQ(sent.tableFloor, robot.tableFloor);
    EXPECT_EQ(sent.outcome, robot.outcome) << "the end the rules reach after the name, with no more input";
    // A scripted game records nothing of its own (the script is its record): a player's game records
    // every command it sends, which are these.
    EXPECT_TRUE(sent.commands.empty());
    sent.commands = robot.commands;
    EXPECT_EQ(quz::core::Replayed(sent), sent.outcome) << "what the server's re-play reaches";
}

}  // namespace
