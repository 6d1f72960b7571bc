// A frame clock that moves only when told, installed through the time seam for as long as it lives: a
// test advances it for a frame's work or for a flip that waits, and the frame limiter's sleeps advance
// it by what they ask (plus an optional overshoot), each one recorded.
#pragma once

#include <cstdint>
#include <numeric>
#include <vector>

#include "platform/frame_time.h"

// For EXPECT_NEAR, which compares doubles.
inline double Micros(int64_t micros) {
    return static_cast<double>(micros);
}

class FakeFrameTime : public FrameTimeSource {
  public:
    FakeFrameTime() { OverrideFrameTime(this); }
    ~FakeFrameTime() override { OverrideFrameTime(nullptr); }
    FakeFrameTime(const FakeFrameTime&) = delete;
    FakeFrameTime& operator=(const FakeFrameTime&) = delete;

    int64_t NowMicros() override { return now; }
    void SleepMicros(int64_t micros) override {
        sleeps.push_back(micros);
        now += micros + oversleep;
    }
    int64_t SleptMicros() const { return std::accumulate(sleeps.begin(), sleeps.end(), int64_t{0}); }

    int64_t now = 5'000'000'000;  // far from zero: nothing may assume the clock starts there
    int64_t oversleep = 0;
    std::vector<int64_t> sleeps;
};
