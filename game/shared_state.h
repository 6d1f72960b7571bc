// The values that the whole program shares: the shell (app/) writes them, the game reads them. They live
// in one named record, read everywhere as Shared.something, so that a reader can tell them from locals;
// they sit here, below the shell, because the game needs them too. Nothing else in the program is a
// mutable process-wide value except the high-score table, the menu's screen, the application mode and
// the score client's settings, each in the room that owns it.
#pragma once

#include <SDL.h>

#include <cstdint>

struct FrameClockValues {
    int32_t lastTick = -1;  // ticks of the previous frame; -1 before the first
    int32_t deltaMs = 0;    // milliseconds since the previous frame: 1 on the first, never above 100
    int32_t totalMs = 0;    // sum of every deltaMs since start-up
};

struct SharedState {
    FrameClockValues frameClock;      // advanced once per frame by the main loop
    SDL_Surface* screen = nullptr;    // the 640 by 480 video surface, replaced at every F9 toggle
    bool fullScreen = true;           // true unless "-windowed" was given; toggled by F9
    char languageCode[32] = "fr";     // from quz.ini; picks the data/<code>/ images
    char languageTexts[4][256] = {};  // the score screen's words, from data/text_<code>.txt
};
extern SharedState Shared;

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;
