// Frame clock (see frame_clock.h).
#include "app/frame_clock.h"

namespace {
constexpr uint32_t kMaxFrameMs = 100;
}

void AdvanceFrameClock(FrameClockValues& clock, uint32_t ticks) {
    if (clock.lastTick == -1) {
        clock.deltaMs = 1;
    } else {
        // Unsigned, so the step stays right when the counter wraps (or passes 2^31 ms) between frames.
        const uint32_t step = ticks - static_cast<uint32_t>(clock.lastTick);
        clock.deltaMs = static_cast<int32_t>(step > kMaxFrameMs ? kMaxFrameMs : step);
    }
    clock.lastTick = static_cast<int32_t>(ticks);
    clock.totalMs += clock.deltaMs;
}
