// The time seam of frame pacing: a monotonic clock and a sleep. In the program they are the system's
// steady clock and a real sleep; tests install their own source to drive time frame by frame and to see
// the sleeps the frame limiter asks for, never waiting on the real clock.
#pragma once

#include <cstdint>

class FrameTimeSource {
  public:
    virtual ~FrameTimeSource() = default;
    // Microseconds on a clock that never goes back; its origin is arbitrary.
    virtual int64_t NowMicros() = 0;
    virtual void SleepMicros(int64_t micros) = 0;
};

int64_t FrameNowMicros();
// Sleeps rather than spins; a zero or negative length returns at once.
void FrameSleepMicros(int64_t micros);
// Milliseconds since the first reading of the current source, for the frame clock. Like SDL_GetTicks,
// it wraps after about 49 days.
uint32_t FrameTicks();

// Test control: the source to read from now on, or null for the system clock.
void OverrideFrameTime(FrameTimeSource* source);
