// The maker's logo shown once before the menu: revealed from black through the wipe map, held, and
// covered again, on its own ticks (it runs before the main loop and its frame clock).
#pragma once

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

// Shows the logo at path (its top-left 640 by 480) in about nine seconds. A missing logo writes two lines
// to stderr and returns at once; a missing or short wipe map returns at once. Events are pumped, not
// taken, so what the player does meanwhile reaches the menu.
void RunLogoIntro(const char* path);
