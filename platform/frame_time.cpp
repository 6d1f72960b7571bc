// Time seam (see frame_time.h).
#include "platform/frame_time.h"

#include <chrono>
#include <thread>

namespace {

FrameTimeSource* overrideSource = nullptr;
bool haveOrigin = false;
int64_t originMicros = 0;

int64_t SystemNowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int64_t FrameNowMicros() {
    return overrideSource != nullptr ? overrideSource->NowMicros() : SystemNowMicros();
}

void FrameSleepMicros(int64_t micros) {
    if (micros <= 0) {
        return;
    }
    if (overrideSource != nullptr) {
        overrideSource->SleepMicros(micros);
    } else {
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
    }
}

uint32_t FrameTicks() {
    const int64_t now = FrameNowMicros();
    if (!haveOrigin) {
        haveOrigin = true;
        originMicros = now;
    }
    return static_cast<uint32_t>(static_cast<uint64_t>((now - originMicros) / 1000));
}

void OverrideFrameTime(FrameTimeSource* source) {
    overrideSource = source;
    haveOrigin = false;
}
