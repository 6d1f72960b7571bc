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
    scheduled_ = false;
}

void FrameLimiter::EndFrame() {
    const int64_t now = FrameNowMicros();
    if (scheduled_) {
        ++frames_;
        const int64_t due = startMicros_ + frames_ * 1000000 / hz_;
        if (now < due - kSlackMicros) {
            FrameSleepMicros(due - now);
            return;
        }
    }
    scheduled_ = true;
    startMicros_ = now;
    frames_ = 0;
}
