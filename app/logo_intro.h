// The maker's logo shown once before the menu: revealed from black through the wipe map, held, and
// covered again, on its own ticks (it runs before the main loop and its frame clock).
#pragma once

#include <SDL.h>

#include <cstdint>

// The intro's timing, apart from its drawing. The level moves one unit per 10 ms: up from -100 to 400,
// then down to -10. Each phase's first frame counts as 1 ms; later frames count the real time since the
// previous frame of the same phase, with no cap.
struct LogoIntroClock {
    float wipeLevel = -100.0f;
    int32_t revealTick = -1;
    int32_t coverTick = -1;
    bool covering = false;
};

// Moves the level for a frame at ticks (SDL_GetTicks of that frame).
void AdvanceLogoIntro(LogoIntroClock& clock, uint32_t ticks);
// Called after the frame is drawn: turns from reveal to cover at 400 and returns false once the cover
// has ended.
bool ContinueLogoIntro(LogoIntroClock& clock);

// What ended the intro early: the key or mouse button whose press skipped it. The first menu leaves that
// button's release alone (see IgnoreUntilReleased in menu.h); the menu acts on key presses only, so the
// key needs no such care.
struct LogoIntroSkip {
    bool skipped = false;
    SDL_Keycode key = SDLK_UNKNOWN;  // the key pressed, or SDLK_UNKNOWN for a mouse button
    Uint8 button = 0;                // the mouse button pressed, or 0 for a key
    bool released = false;           // its release was queued with it: nothing is left to ignore
};

// Takes the key and mouse-button events waiting in SDL's queue and leaves every other event (motion,
// focus, the window's close) for the menu. Reports the first press among them.
LogoIntroSkip TakeIntroSkip();

// Shows the logo at path (its top-left 640 by 480) in about nine seconds. A click or any key ends it at
// once on a black screen, and the press does not reach the menu; other events stay queued for the menu.
// A missing logo writes two lines to stderr and returns at once.
LogoIntroSkip RunLogoIntro(const char* path);
