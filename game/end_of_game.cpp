// The end of a game on the player's side: a confirmed name is handed to the shell, which owns the
// high-score table and the sending.
#include "core/rules_version.h"
#include "game/game.h"
#include "game/shared_state.h"

void Game::PresentNameConfirmed() {
    nameConfirmed = true;
    // The shell saves the table after this frame; nothing more of this frame's time runs the session.
    tickAccumulator = 0;
}

void Game::PrefillName() {
    // A replay shown in the window already holds the characters its player's entry was given.
    if (levelPhase != LevelPhase::NameEntry || !script.empty()) {
        return;
    }
    for (const char* c = prefillName; c < prefillName + sizeof prefillName && *c != '\0'; ++c) {
        Send(quz::core::CommandKind::NameChar, static_cast<unsigned char>(*c));
    }
}

bool Game::TakeNameConfirmed() {
    const bool confirmed = nameConfirmed;
    nameConfirmed = false;
    return confirmed;
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
        tail.Step();
    }
    replay.outcome = {tail.score, tail.level, tail.CurrentTick(), tail.Over(), tail.StateHash()};
    return replay;
}
