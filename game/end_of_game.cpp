// The end of a game on the player's side: the confirmed name goes into the high-score table and the
// score to the score server.
#include <cstdio>

#include "core/daily.h"
#include "core/replay_check.h"
#include "core/rules_version.h"
#include "game/game.h"
#include "game/high_score_file.h"
#include "game/shared_state.h"
#include "net/score_client.h"
#include "net/score_sender.h"
#include "replay/replay_file.h"

void Game::PresentNameConfirmed() {
    // A game ends on a lost level, never on a cleared one, so its entry is never marked as perfect. The
    // board of the day is a contest of its own: its games leave the player's table as it was.
    if (!quz::core::IsDailyMode(mode)) {
        RecordHighScore(playerName, score, 0);
    }
    // The game goes out on the sender's thread, with its replay: nothing here waits on the network. A game
    // whose replay cannot be written still sends its score as the message.
    SetDefaultScoreSettings();
    std::vector<uint8_t> file;
    if (!quz::replay::EncodeReplayFile(ConfirmedReplay(), file)) {
        fprintf(stderr, "The game's replay cannot be written: its score goes alone\n");
        file.clear();
    }
    QueueGame(playerName, mode, score, std::move(file));
    // Saving the table takes a moment of disk time; it must not count towards this frame's animations.
    Shared.frameClock.deltaMs = 0;
}

quz::core::Replay Game::ConfirmedReplay() const {
    quz::core::Replay replay;
    replay.rulesVersion = quz::core::kRulesVersion;
    replay.seed = Settings().seed;
    replay.tableFloor = Settings().tableFloor;
    replay.mode = mode;
    replay.commands = recorded;
    // The rules alone finish it, as the server's re-play will: the fade-out takes no command that matters.
    quz::core::Session tail(*this);
    while (!tail.Over() && tail.CurrentTick() < quz::core::kReplayTickCap) {
        quz::core::StepOneTick(tail);
    }
    replay.outcome = {tail.score, tail.level, tail.CurrentTick(), tail.Over(), tail.StateHash()};
    return replay;
}
