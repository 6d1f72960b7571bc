// Advancing the frame clock once per frame.
#pragma once

#include <cstdint>

#include "game/shared_state.h"

// ticks is this frame's reading of the frame clock's millisecond counter (FrameTicks, which wraps like
// SDL_GetTicks). The step is 1 on the first frame and never more than 100, so a stall cannot make every
// animation jump.
void AdvanceFrameClock(FrameClockValues& clock, uint32_t ticks);
