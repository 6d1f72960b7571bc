// The end of a game in the shell (see end_of_game.h).
#include "app/end_of_game.h"

#include <cstdio>
#include <utility>

#include "app/high_score_file.h"
#include "app/last_name.h"
#include "core/daily.h"
#include "game/game.h"
#include "game/shared_state.h"
#include "net/score_client.h"
#include "net/score_sender.h"
#include "platform/frame_time.h"
#include "platform/text.h"
#include "replay/replay_file.h"

FinishedGame RecordConfirmedName(const char* name, int32_t score, const char* mode,
                                 std::vector<uint8_t> replay) {
    FinishedGame finished;
    finished.shown = true;
    CopyText(finished.name, name);
    finished.score = score;
    finished.daily = quz::core::IsDailyMode(mode);
    // A game ends on a lost level, never on a cleared one, so its entry is never marked as perfect.
    if (!finished.daily) {
        finished.litRow = RecordHighScore(name, score, 0);
    }
    // The game goes out on the sender's thread: nothing here waits on the network.
    SetDefaultScoreSettings();
    if (replay.empty()) {
        finished.ticket = QueueScore(name, mode, score, false);
    } else {
        finished.ticket = QueueGame(name, mode, score, std::move(replay));
    }
    // Saving the table takes a moment of disk time; the next frame must not count it.
    Shared.frameClock.lastTick = static_cast<int32_t>(FrameTicks());
    return finished;
}

FinishedGame SendConfirmedGame(const Game& game) {
    std::vector<uint8_t> file;
    if (!quz::replay::EncodeReplayFile(game.ConfirmedReplay(), file)) {
        // Its score still goes, as the message alone.
        fprintf(stderr, "The game's replay cannot be written: its score goes alone\n");
        file.clear();
    }
    RememberLastName(game.playerName);
    FinishedGame finished = RecordConfirmedName(game.playerName, game.score, game.mode, std::move(file));
    finished.level = game.level;
    return finished;
}

void PrepareNameEntry(Game* game, bool daily) {
    ReadLastName(game->prefillName);
    game->recordFloor = daily ? INT32_MAX : quz::core::TableFloor(HighScoreTable);
}
