// The end of a game on the player's side: the confirmed name goes into the high-score table and the
// score to the score server.
#include "core/daily.h"
#include "game/game.h"
#include "game/high_score_file.h"
#include "game/shared_state.h"
#include "net/score_client.h"
#include "net/score_sender.h"

void Game::PresentNameConfirmed() {
    // A game ends on a lost level, never on a cleared one, so its entry is never marked as perfect. The
    // board of the day is a contest of its own: its games leave the player's table as it was.
    if (!quz::core::IsDailyMode(mode)) {
        RecordHighScore(playerName, score, 0);
    }
    // The score goes out on the sender's thread: nothing here waits on the network.
    SetDefaultScoreSettings();
    QueueScore(playerName, mode, score, false);
    // Saving the table takes a moment of disk time; it must not count towards this frame's animations.
    Shared.frameClock.deltaMs = 0;
}
