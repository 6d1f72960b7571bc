// The end of a game: the high-score test, name entry, the new table entry and the score sent to the
// score server, then the fade-out back to the menu.
#include <cstdio>
#include <cstring>

#include "game/game.h"
#include "game/high_score_file.h"
#include "game/high_score_table.h"
#include "game/name_letters.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "net/score_client.h"
#include "net/score_sender.h"
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
    // A code is never cut to its low byte, which would turn letters of other alphabets into unrelated
    // Latin letters: accented Latin letters are folded to their base letters, anything else is refused.
    if (character < 0) {
        return;
    }
    const size_t length = strlen(playerName);
    if (character == 8) {
        if (length > 0) {
            playerName[length - 1] = '\0';
        }
        return;
    }
    if (character == 13 || character == 10) {
        ConfirmName();
        return;
    }
    char letters[3];
    const int count = FoldToBaseLetters(static_cast<uint32_t>(character), letters);
    // A fold that gives two letters goes in whole or not at all.
    if (count == 0 || length + static_cast<size_t>(count) > kMaxNameLength) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (letters[i] != ' ' && !IsFontChar(letters[i])) {
            return;
        }
    }
    CopyText(playerName + length, sizeof playerName - length, letters);
}

void Game::ConfirmName() {
    // A game ends on a lost level, never on a cleared one, so its entry is never marked as perfect.
    RecordHighScore(playerName, score, 0);
    // The score goes out on the sender's thread: nothing here waits on the network.
    SetDefaultScoreSettings();
    QueueScore(playerName, mode, score, false);
    StartFadeOut();
    // Saving the table takes a moment of disk time; it must not count towards this frame's fade.
    Shared.frameClock.deltaMs = 0;
}
