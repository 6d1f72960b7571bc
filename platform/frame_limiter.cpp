// Frame limiter (see frame_limiter.h).
#include "platform/frame_limiter.h"

#include "platform/frame_time.h"

namespace {

constexpr int kSlowestRate = 20;
constexpr int kFastestRate = 1000;
// A frame this close to its due time has used its period: a flip that waits for the display returns
// a little before or after the due time, and sleeping the difference would only push the next frame
// past the next refresh.
constexpr int64_t kSlackMicros = 1000;

}  // namespace

FrameLimiter frameLimiter;

void FrameLimiter::SetRefreshRate(int hz) {
    hz_ = hz >= kSlowestRate && hz <= kFastestRate ? hz : kDefaultRate;
    Restart();
}

void FrameLimiter::Restart() {
    scheduled_ = true;
    startMicros_ = FrameNowMicros();
    frames_ = 0;
}

void FrameLimiter::EndFrame() {
    const int64_t now = FrameNowMicros();
    const int64_t wait = scheduled_ ? DueMicros(frames_ + 1) - now : 0;
    // A frame that used its whole period (or the first ever) sleeps no more, and the next one gets a
    // whole period from here. So does one that would wait longer than a period, which only a clock
    // that was changed under the schedule can ask for.
    if (wait <= kSlackMicros || wait > 1000000 / hz_ + 1) {
        scheduled_ = true;
        startMicros_ = now;
        frames_ = 0;
        return;
    }
    ++frames_;
    FrameSleepMicros(wait);
}

int64_t FrameLimiter::DueMicros(int64_t frame) const {
    return startMicros_ + frame * 1000000 / hz_;
}
