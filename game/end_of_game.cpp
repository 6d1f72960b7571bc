// The end of a game on the player's side: a confirmed name is handed to the shell, which owns the
// high-score table and the sending.
#include "game/game.h"
#include "game/shared_state.h"

void Game::PresentNameConfirmed() {
    nameConfirmed = true;
    // The shell saves the table after this frame; nothing more of this frame's time runs the session.
    tickAccumulator = 0;
}

bool Game::TakeNameConfirmed() {
    const bool confirmed = nameConfirmed;
    nameConfirmed = false;
    return confirmed;
}
