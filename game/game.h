// One play session: the Game object (resources, Board and session state), its frame step, its screen and
// the end of a game with name entry. The main loop creates it, calls PlayFrame once per frame and
// destroys it when PlayFrame returns false.
#pragma once

#include <cstdint>

#include "game/board.h"
#include "game/game_resources.h"

struct Game : GameResources, Board {
    float fadeLevel = 0;   // 256: fully shown; below 0: black
    int32_t fadeStep = 1;  // +1 fading in, -1 fading out, 0 still
    bool levelOver = false;
    bool enteringName = false;
    bool perfectFlag = false;
    bool bonus5000Flag = false;
    bool levelWon = false;
    bool levelLost = false;
    bool gameOver = false;
    bool quitRequested = false;
    bool fading = true;  // input events and Escape are ignored while set
    float linesPending = 0;
    float lineTimer = 0;     // ms to the next line while lines are pending
    float messageDelay = 0;  // ms the level-end message stays up
    char playerName[32] = {};
    int32_t hoverPoints = 0;
    int32_t timeLeft = 10000;  // idle timer, ms
    int32_t score = 0;
    int32_t shownScore = 0;
    int32_t levelPoints = 0;
    int32_t level = 1;
    int32_t lives = 3;
    double doubleTimer = 0;  // announcement values: 255 when collected, falling by one per 10 ms
    double addLineTimer = 0;
    double pointsTimer = 0;
    int32_t messageX = -400;

    // One frame of the session; false once the session is over.
    bool PlayFrame();
    // Paints the whole game screen onto the Screen (no flip).
    void Draw();

    // Parts of PlayFrame, open to the tests that drive a session.
    void RemoveGroup();
    void EndLevel(BoardOutcome outcome);
    void RestartLevel();
    void StartGameOver();
    void EditName(int character);
    void ConfirmName();
    void StartFadeOut();
};

// Frames still to wait after a click before the end-of-level test runs again; kept across games.
extern int32_t settleFrames;
// The last bonus collected: 1 = 2x, 3 = 1000 points, 4 = 500 points, 5 = add line.
extern int32_t lastBonusKind;

inline constexpr int32_t kScoreCap = 999998;  // group points are added only up to this score

// A new Game with its start values, a filled Board and every resource loaded (music started).
Game* CreateGame();
// Stops the music, frees the images, then the samples (last to first), the music and the Game.
void DestroyGame(Game* game);
