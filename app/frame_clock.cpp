// Frame clock (see frame_clock.h).
#include "app/frame_clock.h"

namespace {
constexpr int32_t kMaxFrameMs = 100;
}

void AdvanceFrameClock(FrameClockValues& clock, uint32_t ticks) {
    auto now = static_cast<int32_t>(ticks);
    if (clock.lastTick == -1) {
        clock.deltaMs = 1;
    } else {
        clock.deltaMs = now - clock.lastTick;
        if (clock.deltaMs > kMaxFrameMs) {
            clock.deltaMs = kMaxFrameMs;
        }
    }
    clock.lastTick = now;
    clock.totalMs += clock.deltaMs;
}
