// The process-wide values that the application shell, the menu and the game all read: the frame clock,
// the application mode, the Screen and the set-up values of start-up. They live here, below the shell,
// because the game reads them too.
#pragma once

#include <SDL.h>

#include <cstdint>

struct FrameClockValues {
    int32_t lastTick = -1;  // ticks of the previous frame; -1 before the first
    int32_t deltaMs = 0;    // milliseconds since the previous frame: 1 on the first, never above 100
    int32_t totalMs = 0;    // sum of every deltaMs since start-up
};
extern FrameClockValues FrameClock;

enum class AppModeKind : int { InMenu = 0, InGame = 1, Quit = 2 };
extern AppModeKind AppMode;

extern bool fullScreen;        // true unless "-windowed" was given; toggled by F9
extern SDL_Surface* screen;    // the 640 by 480 video surface, replaced at every F9 toggle
extern char languageCode[32];  // from quz.ini, "fr" by default
extern char languageTexts[4][256];

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;
