// Shared helpers of the game tests: a headless Screen, a Game in a chosen state, and input fed through the
// input layer's seam, which hands it to the system and reads it back as the game would.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include "game/game.h"
#include "platform/input.h"

// Video on the dummy driver with a 640 by 480 by 32 Screen, Unicode key translation on. Idempotent.
void EnsureVideo();
// Drops every queued event and action, every held key and repeat.
void FlushEvents();

void Put(Game& game, int column, int row, int32_t value);
void ClearBoard(Game& game);
// A full board in which no two orthogonal neighbours share a colour.
void FillWithoutMoves(Game& game);

void WarpTo(int x, int y);
void PushButton(int x, int y, int button = 1);
void PushRelease(int x, int y);
// A tap: the key goes down (typing character, if any) and up again within the frame.
void PushKey(InputKey key, uint32_t character = 0);
// A key of no meaning to the game that types this character.
void PushText(uint32_t character);
void PushQuit();
// Centre of a cell in screen pixels.
inline int CellCentre(int cell) {
    return cell * kCellPixels + 16;
}

class GameSession : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One frame of deltaMs milliseconds, its input collected as the main loop does (the session runs the
    // ticks that time holds, carrying the rest over); without an argument, a frame of exactly one tick.
    // The result of PlayFrame.
    bool Frame(int deltaMs = kOneTick);
    static constexpr int kOneTick = -1;
    // Runs frames until the session is in play (fade-in over). Returns false if that never happened.
    bool FinishFadeIn(int deltaMs = 100);
    // Runs frames until PlayFrame returns false; the number of frames, or -1 after `limit` frames.
    int RunToEnd(int deltaMs = 100, int limit = 1000);
    // Moves the pointer to a cell and presses a button there.
    void ClickCell(int column, int row, int button = 1);

    // Called after every frame of Frame, as the shell would go on after the game's frame.
    virtual void AfterFrame() {}

    Game* game = nullptr;
};
