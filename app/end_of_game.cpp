// The end of a game in the shell (see end_of_game.h).
#include "app/end_of_game.h"

#include "app/high_score_file.h"
#include "game/shared_state.h"
#include "net/score_client.h"
#include "net/score_sender.h"
#include "platform/frame_time.h"

void RecordConfirmedName(const char* name, int32_t score) {
    // A game ends on a lost level, never on a cleared one, so its entry is never marked as perfect.
    RecordHighScore(name, score, 0);
    // The score goes out on the sender's thread: nothing here waits on the network.
    SetDefaultScoreSettings();
    QueueScore(name, "NORMAL", score, false);
    // Saving the table takes a moment of disk time; the next frame must not count it.
    Shared.frameClock.lastTick = static_cast<int32_t>(FrameTicks());
}
