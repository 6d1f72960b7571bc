// Frame pacing for flips that do not wait for the display. Each frame is held to one refresh period by
// sleeping until its due time, counted from a fixed start so that sleeps that overshoot never add up to
// drift. A frame that used its whole period (the flip waited for the display, or the frame was slow)
// asks for no sleep and starts the count again from its end, so a long frame is never followed by a
// burst of short ones.
#pragma once

#include <cstdint>

class FrameLimiter {
  public:
    static constexpr int kDefaultRate = 60;

    // The display's refresh rate in frames a second; a rate SDL cannot report (0) or one no display has
    // counts as kDefaultRate. Restarts the schedule.
    void SetRefreshRate(int hz);
    int RefreshRate() const { return hz_; }

    // Called once per frame, right after the flip: sleeps, through the time seam, until the frame is due.
    void EndFrame();
    // Starts the schedule again: the next frame is due one period from now.
    void Restart();

  private:
    int64_t DueMicros(int64_t frame) const;

    int hz_ = kDefaultRate;
    bool scheduled_ = false;
    int64_t startMicros_ = 0;  // the end of the frame the schedule counts from
    int64_t frames_ = 0;       // periods from then to the due time of the frame just ended
};

// The limiter of the program's frame loop (and of the logo intro that runs before it).
extern FrameLimiter frameLimiter;
