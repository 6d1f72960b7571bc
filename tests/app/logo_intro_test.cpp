// The logo intro: its timing, the ways it is left out, and a key or click that ends it at once without
// reaching the menu.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/logo_intro.h"
#include "app/menu.h"
#include "app_support.h"
#include "game/shared_state.h"
#include "platform/input.h"

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

// The generated logo from the build folder, a key or a click queued before the intro, and the first
// menu made as start-up makes it.
class IntroSkipTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenTestScreen());
        Drain();
        Shared.fullScreen = false;
        Shared.frameClock = FrameClockValues{};
    }
    void TearDown() override {
        if (menu_ != nullptr) {
            ReleaseMenu(menu_);
        }
        ResetInput();
    }
    static void Drain() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
        }
    }
    static void Push(Uint32 type, SDL_Keycode key, Uint8 button) {
        SDL_Event event = {};
        event.type = type;
        if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
            event.key.keysym.sym = key;
        } else if (type == SDL_MOUSEWHEEL) {
            event.wheel.y = 1;
        } else {
            event.button.button = button;
        }
        SDL_PushEvent(&event);
    }
    // The intro as start-up runs it, then the first menu; the intro must have ended at once.
    void RunIntroThenMenu() {
        Uint32 start = SDL_GetTicks();
        skip_ = RunLogoIntro("data/logo.png");
        EXPECT_LT(SDL_GetTicks() - start, 1000u) << "the intro takes nine seconds when not skipped";
        ASSERT_TRUE(skip_.skipped);
        menu_ = CreateMenu();
        if (!skip_.released) {
            IgnoreUntilReleased(menu_, skip_.button);
        }
    }
    void Step() {
        Shared.frameClock.deltaMs = 16;
        Shared.frameClock.totalMs += 16;
        CollectInput(16);
        ASSERT_TRUE(MenuStep(menu_));
    }
    LogoIntroSkip skip_;
    Menu* menu_ = nullptr;
};

TEST_F(IntroSkipTest, AKeyEndsTheIntroAtOnceAndTheMenuDoesNotActOnIt) {
    Push(SDL_KEYDOWN, SDLK_ESCAPE, 0);
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    SDL_PushEvent(&motion);
    RunIntroThenMenu();
    EXPECT_EQ(skip_.key, SDLK_ESCAPE);
    SDL_Event left;
    EXPECT_EQ(SDL_PeepEvents(&left, 1, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION), 1)
        << "other events stay queued for the menu";

    // Escape still held, then let go: the press was the intro's, and on the menu it would cut the fade-in
    // short.
    for (int frame = 0; frame < 5; ++frame) {
        Step();
    }
    EXPECT_EQ(menuScreen, MenuScreen::FadeIn);
    InjectKey(InputKey::Escape, false);
    Step();
    EXPECT_EQ(menuScreen, MenuScreen::FadeIn);
    // A new press is the menu's own.
    InjectKey(InputKey::Escape, true);
    Step();
    EXPECT_EQ(menuScreen, MenuScreen::Main);
}

TEST_F(IntroSkipTest, AClickEndsTheIntroAtOnceAndTheMenuDoesNotActOnItsRelease) {
    Push(SDL_MOUSEBUTTONDOWN, SDLK_UNKNOWN, SDL_BUTTON_LEFT);
    RunIntroThenMenu();
    EXPECT_EQ(skip_.button, SDL_BUTTON_LEFT);
    Push(SDL_MOUSEBUTTONUP, SDLK_UNKNOWN, SDL_BUTTON_LEFT);
    Step();
    EXPECT_EQ(menuScreen, MenuScreen::FadeIn) << "the release that ended the intro cut the fade-in short";
    Push(SDL_MOUSEBUTTONUP, SDLK_UNKNOWN, SDL_BUTTON_LEFT);
    Step();
    EXPECT_EQ(menuScreen, MenuScreen::Main) << "a later click is the menu's own";
}

TEST_F(IntroSkipTest, AWheelTurnEndsTheIntroAndLeavesNothingToIgnore) {
    Push(SDL_MOUSEWHEEL, SDLK_UNKNOWN, 0);
    RunIntroThenMenu();
    EXPECT_TRUE(skip_.released);
    EXPECT_EQ(menu_->ignoredButton, 0);
}

}  // namespace
