// The frame limiter through the time seam: how much it sleeps when the flip returns at once, when the
// flip waits for the display, after a stall, and over a long run with sleeps that overshoot.
#include <gtest/gtest.h>

#include "platform/frame_limiter.h"
#include "support/fake_frame_time.h"

namespace {

constexpr int64_t kPeriod60 = 16667;  // microseconds, rounded up

TEST(FrameLimiterTest, AFlipThatNeverWaitsSleepsOnePeriodPerFrame) {
    FakeFrameTime time;
    FrameLimiter limiter;
    limiter.SetRefreshRate(60);
    const int64_t start = time.now;
    for (int frame = 0; frame < 120; ++frame) {
        time.now += 2000;  // the frame's own work
        limiter.EndFrame();
    }
    // Each frame ends a period after the one before (the first, after the rate was set), whatever its
    // work took: two seconds for 120 frames.
    ASSERT_EQ(time.sleeps.size(), 120u);
    for (size_t i = 0; i < time.sleeps.size(); ++i) {
        EXPECT_NEAR(Micros(time.sleeps[i]), kPeriod60 - 2000, 1) << "frame " << i;
    }
    EXPECT_NEAR(Micros(time.now - start), 2000000, 1);
}

TEST(FrameLimiterTest, AFlipThatWaitsForTheDisplayAsksForNoSleep) {
    FakeFrameTime time;
    FrameLimiter limiter;
    limiter.SetRefreshRate(60);
    for (int frame = 0; frame < 120; ++frame) {
        time.now += kPeriod60;
        limiter.EndFrame();
    }
    // A display a little faster than the rate it reports, and flips that return a little early or late.
    for (int frame = 0; frame < 120; ++frame) {
        time.now += frame % 2 == 0 ? kPeriod60 - 400 : kPeriod60 + 300;
        limiter.EndFrame();
    }
    EXPECT_TRUE(time.sleeps.empty()) << time.sleeps.size() << " sleeps, the first " << time.sleeps[0];
}

TEST(FrameLimiterTest, AStallIsNotFollowedByABurstOfShortFrames) {
    FakeFrameTime time;
    FrameLimiter limiter;
    limiter.SetRefreshRate(60);
    for (int frame = 0; frame < 10; ++frame) {
        limiter.EndFrame();
    }
    time.now += 250000;  // a level loading
    const size_t before = time.sleeps.size();
    limiter.EndFrame();
    EXPECT_EQ(time.sleeps.size(), before) << "a late frame sleeps no more";
    for (int frame = 0; frame < 5; ++frame) {
        limiter.EndFrame();
        ASSERT_EQ(time.sleeps.size(), before + 1 + frame);
        EXPECT_NEAR(Micros(time.sleeps.back()), kPeriod60, 1) << "frame " << frame << " after the stall";
    }
}

TEST(FrameLimiterTest, AClockThatGoesBackNeverMakesItSleepLongerThanAPeriod) {
    FrameLimiter limiter;
    {
        FakeFrameTime early;
        early.now = 9'000'000'000;
        limiter.SetRefreshRate(60);
        limiter.EndFrame();
    }
    FakeFrameTime time;  // starts 4000 seconds before the schedule
    limiter.EndFrame();
    EXPECT_TRUE(time.sleeps.empty());
    limiter.EndFrame();
    ASSERT_EQ(time.sleeps.size(), 1u);
    EXPECT_NEAR(Micros(time.sleeps[0]), kPeriod60, 1);
}

TEST(FrameLimiterTest, OvershootingSleepsDoNotDrift) {
    FakeFrameTime time;
    time.oversleep = 700;  // every sleep returns late, as a loaded machine's do
    FrameLimiter limiter;
    limiter.SetRefreshRate(60);
    limiter.EndFrame();
    const int64_t start = time.now;
    for (int frame = 0; frame < 600; ++frame) {
        time.now += 3000 + (frame % 7) * 900;  // uneven work, always well inside the period
        limiter.EndFrame();
    }
    // Ten seconds of frames take ten seconds, give or take one overshoot.
    EXPECT_NEAR(Micros(time.now - start), 10000000, 800);
}

TEST(FrameLimiterTest, TheDisplaysRateSetsThePeriodAndAnUnknownRateIsSixty) {
    FakeFrameTime time;
    FrameLimiter limiter;
    const struct {
        int reported;
        int used;
    } cases[] = {{75, 75}, {144, 144}, {0, 60}, {-1, 60}, {3, 60}, {100000, 60}};
    for (const auto& c : cases) {
        limiter.SetRefreshRate(c.reported);
        EXPECT_EQ(limiter.RefreshRate(), c.used) << c.reported;
        time.sleeps.clear();
        for (int frame = 0; frame < 4; ++frame) {
            limiter.EndFrame();
        }
        ASSERT_EQ(time.sleeps.size(), 4u) << c.reported;
        EXPECT_NEAR(Micros(time.sleeps[1]), 1e6 / c.used, 1) << c.reported;
    }
}

}  // namespace
