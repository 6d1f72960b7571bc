// The logo intro's timing and its two ways of being skipped.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/logo_intro.h"
#include "app_support.h"

namespace {

TEST(LogoIntroTest, EachPhaseStartsWithATenthAndThenFollowsRealTimeUncapped) {
    LogoIntroClock clock;
    AdvanceLogoIntro(clock, 5000);
    EXPECT_FLOAT_EQ(clock.wipeLevel, -99.9f);
    AdvanceLogoIntro(clock, 5016);
    EXPECT_FLOAT_EQ(clock.wipeLevel, -98.3f);
    AdvanceLogoIntro(clock, 5516);  // a half-second stall
    EXPECT_FLOAT_EQ(clock.wipeLevel, -48.3f);
    EXPECT_TRUE(ContinueLogoIntro(clock));
    EXPECT_FALSE(clock.covering);

    clock.wipeLevel = 399.5f;
    AdvanceLogoIntro(clock, 5526);
    EXPECT_TRUE(ContinueLogoIntro(clock));
    EXPECT_TRUE(clock.covering);
    EXPECT_FLOAT_EQ(clock.wipeLevel, 400.0f);  // the reveal's overshoot is dropped
    AdvanceLogoIntro(clock, 9000);             // the cover keeps its own previous tick
    EXPECT_FLOAT_EQ(clock.wipeLevel, 399.9f);
    AdvanceLogoIntro(clock, 9010);
    EXPECT_FLOAT_EQ(clock.wipeLevel, 398.9f);

    clock.wipeLevel = -9.5f;
    AdvanceLogoIntro(clock, 9014);
    EXPECT_TRUE(ContinueLogoIntro(clock));
    AdvanceLogoIntro(clock, 9020);
    EXPECT_FALSE(ContinueLogoIntro(clock));
}

TEST(LogoIntroTest, AMissingLogoIsReportedAndSkipped) {
    ASSERT_TRUE(OpenTestScreen());
    ::testing::internal::CaptureStderr();
    Uint32 start = SDL_GetTicks();
    RunLogoIntro("data/no_such_logo.png");
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_LT(SDL_GetTicks() - start, 500u);
    EXPECT_EQ(said.rfind("file not found : data/no_such_logo.png\n", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2);
}

}  // namespace
