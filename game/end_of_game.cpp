// The end of a game: the high-score test, name entry, the new table entry and the score sent to the
// score server, then the fade-out back to the menu.
#include <cstdio>
#include <cstring>

#include "game/game.h"
#include "game/high_score_table.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "net/score_client.h"
#include "platform/text.h"

namespace {

constexpr size_t kMaxNameLength = 27;

}  // namespace

void Game::StartGameOver() {
    gameOverSound.Play();
    if (ScoreQualifies(score)) {
        levelPhase = LevelPhase::NameEntry;
        messageDelay = 0;  // typing starts at once
    } else {
        levelPhase = LevelPhase::GameOver;  // the fade-out after its message ends the session
    }
    playerName[0] = '\0';
}

void Game::EditName(int character) {
    // Only plain ASCII is taken: a wider code is refused rather than cut to its low byte, which would
    // turn some letters of other alphabets into unrelated Latin letters.
    if (character < 0 || character > 126) {
        return;
    }
    const size_t length = strlen(playerName);
    if (character == 8) {
        if (length > 0) {
            playerName[length - 1] = '\0';
        }
    } else if (character == 13 || character == 10) {
        ConfirmName();
    } else if ((character == ' ' || IsFontChar(character)) && length < kMaxNameLength) {
        playerName[length] = static_cast<char>(character);
        playerName[length + 1] = '\0';
    }
}

void Game::ConfirmName() {
    // A game ends on a lost level, never on a cleared one, so its entry is never marked as perfect.
    InsertHighScore(playerName, score, 0);
    SetDefaultScoreSettings();
    char name[sizeof playerName];
    CopyText(name, playerName);
    if (!SubmitScore(name, "NORMAL", score, false)) {
        fprintf(stderr, "Score not sent...\n");
    }
    StartFadeOut();
    // The submission blocks the frame; its time must not count towards this frame's fade.
    Shared.frameClock.deltaMs = 0;
}
