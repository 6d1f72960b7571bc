// The title menu driven as a player drives it: clicks by band, the wheel, Escape during a fade, the
// window closed, F1 on the score screen, the stars' return, and the Menu's life in the main loop.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/high_scores.h"
#include "app/main_loop.h"
#include "app/menu.h"
#include "app_support.h"
#include "game/shared_state.h"
#include "platform/audio_layer.h"
#include "platform/input.h"
#include "res/error_report.h"

namespace {

int menuTestFatal = 1;  // any non-null pointer turns fatal errors back on

class MenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenTestScreen());
        // A test must not end the process if a resource is missing in this build.
        SetErrorsFatal(nullptr);
        fullScreen = false;
        AppMode = AppModeKind::InMenu;
        FrameClock = FrameClockValues{};
        ::testing::internal::CaptureStderr();
        menu_ = CreateMenu();
        ::testing::internal::GetCapturedStderr();
        Drain();
    }
    void TearDown() override {
        if (menu_ != nullptr) {
            ReleaseMenu(menu_);
        }
        ReleaseMainLoopObjects();
        ReleaseAllKeys();
        SetErrorsFatal(&menuTestFatal);
    }
    static void Drain() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
        }
    }
    // One menu frame of ms milliseconds; forgets the Menu when it released itself.
    void Step(int ms = 16) {
        FrameClock.deltaMs = ms;
        FrameClock.totalMs += ms;
        if (!MenuStep(menu_)) {
            menu_ = nullptr;
        }
    }
    void Release(int x, int y, Uint8 button = SDL_BUTTON_LEFT) {
        SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
        SDL_Event event = {};
        event.type = SDL_MOUSEBUTTONUP;
        event.button.button = button;
        event.button.x = static_cast<Uint16>(x);
        event.button.y = static_cast<Uint16>(y);
        SDL_PushEvent(&event);
        Step();
    }
    void ShowButtons() {
        menuScreen = MenuScreen::Main;
        menu_->action = MenuAction::None;
        menu_->fadeLevel = 256;
    }
    Menu* menu_ = nullptr;
};

TEST(MenuBandsTest, OnlyThePointersYChoosesAButton) {
    EXPECT_EQ(MenuButtonAt(250), 0);
    EXPECT_EQ(MenuButtonAt(251), 1);
    EXPECT_EQ(MenuButtonAt(293), 1);
    EXPECT_EQ(MenuButtonAt(294), 2);
    EXPECT_EQ(MenuButtonAt(335), 2);
    EXPECT_EQ(MenuButtonAt(336), 3);
    EXPECT_EQ(MenuButtonAt(377), 3);
    EXPECT_EQ(MenuButtonAt(378), 4);
    EXPECT_EQ(MenuButtonAt(419), 4);
    EXPECT_EQ(MenuButtonAt(420), 0);
    EXPECT_EQ(MenuButtonAt(-1), 0);
}

TEST_F(MenuTest, ANewMenuFadesInOverTheSoftwareScreen) {
    EXPECT_EQ(menuScreen, MenuScreen::FadeIn);
    EXPECT_EQ(menu_->action, MenuAction::None);
    EXPECT_EQ(menu_->backBuffer, screen);  // no separate surface for a Screen in system memory
    for (int frame = 0; frame < 12; ++frame) {
        Step(100);
    }
    EXPECT_EQ(menuScreen, MenuScreen::FadeIn);
    EXPECT_FLOAT_EQ(menu_->fadeLevel, 240.0f);
    Step(100);  // past 256: 1280 ms in all
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    EXPECT_EQ(AppMode, AppModeKind::InMenu);
}

TEST_F(MenuTest, AScreenInVideoMemoryGetsASeparateDrawingSurfaceCopiedOncePerFrame) {
    ReleaseMenu(menu_);
    // The dummy driver never grants video memory, so the flag is set by hand for this one creation.
    screen->flags |= SDL_HWSURFACE;
    menu_ = CreateMenu();
    screen->flags &= ~SDL_HWSURFACE;
    ASSERT_NE(menu_->backBuffer, screen);
    EXPECT_EQ(menu_->backBuffer->w, 640);
    EXPECT_EQ(menu_->backBuffer->h, 480);
    EXPECT_EQ(menu_->backBuffer->format->BitsPerPixel, screen->format->BitsPerPixel);
    EXPECT_EQ(menu_->backBuffer->format->Rmask, screen->format->Rmask);
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 0, 255));
    SDL_FillRect(menu_->backBuffer, nullptr, 0);
    menuScreen = MenuScreen::Main;
    Step();
    // The copy covers the whole Screen: no magenta is left anywhere.
    SDL_LockSurface(screen);
    const auto* pixels = static_cast<const Uint32*>(screen->pixels);
    Uint32 magenta = SDL_MapRGB(screen->format, 255, 0, 255);
    int left = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            left += pixels[y * screen->pitch / 4 + x] == magenta ? 1 : 0;
        }
    }
    SDL_UnlockSurface(screen);
    EXPECT_EQ(left, 0);
}

TEST_F(MenuTest, ClicksAcrossTheWholeWidthOfBandOneStartTheGame) {
    for (int x : {0, 639}) {
        ShowButtons();
        Release(x, 260);
        EXPECT_EQ(menuScreen, MenuScreen::FadeOut) << "x " << x;
        EXPECT_EQ(menu_->action, MenuAction::Play) << "x " << x;
    }
    for (int y : {250, 420}) {
        ShowButtons();
        Release(320, y);
        EXPECT_EQ(menuScreen, MenuScreen::Main) << "y " << y;
        EXPECT_EQ(menu_->action, MenuAction::None) << "y " << y;
    }
}

TEST_F(MenuTest, ScoresAndCreditsOpenAndAClickLeavesThem) {
    ShowButtons();
    Release(10, 300);
    EXPECT_EQ(menuScreen, MenuScreen::Scores);
    Release(10, 300);  // anywhere: back to the buttons
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    Release(10, 350);
    EXPECT_EQ(menuScreen, MenuScreen::Credits);
    HoldKey(SDLK_ESCAPE, true);
    Step();
    EXPECT_EQ(menuScreen, MenuScreen::Main);
}

TEST_F(MenuTest, AWheelTurnOverExitFadesOutToShutDown) {
    ShowButtons();
    Release(300, 400, SDL_BUTTON_WHEELDOWN);
    EXPECT_EQ(menuScreen, MenuScreen::FadeOut);
    EXPECT_EQ(menu_->action, MenuAction::Exit);
    int frames = 0;
    while (menu_ != nullptr && frames < 200) {
        Step(50);
        ++frames;
    }
    EXPECT_EQ(menu_, nullptr) << "the faded-out Menu releases itself";
    EXPECT_EQ(frames, 31);  // from 256 down past -50 at 10 levels a frame
    EXPECT_EQ(AppMode, AppModeKind::Quit);
}

TEST_F(MenuTest, EscapeDuringAFadeOutKeepsTheMenuAndRemembersTheChoice) {
    ShowButtons();
    Release(320, 270);
    Step(100);
    float level = menu_->fadeLevel;
    int volume = menu_->music.volume;
    HoldKey(SDLK_ESCAPE, true);
    Step(100);
    HoldKey(SDLK_ESCAPE, false);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    EXPECT_EQ(menu_->action, MenuAction::Play);
    EXPECT_LT(menu_->fadeLevel, level);  // that frame still faded before the key was read
    for (int frame = 0; frame < 5; ++frame) {
        Step(100);
    }
    EXPECT_NE(menu_, nullptr);
    EXPECT_EQ(AppMode, AppModeKind::InMenu);
    float stopped = menu_->fadeLevel;
    Step(100);
    EXPECT_FLOAT_EQ(menu_->fadeLevel, stopped);
    EXPECT_LE(menu_->music.volume, volume);

    // With a choice remembered, a click on the score screen no longer leaves it: only Escape does.
    Release(320, 300);
    EXPECT_EQ(menuScreen, MenuScreen::Scores);
    Release(320, 300);
    EXPECT_EQ(menuScreen, MenuScreen::Scores);
    HoldKey(SDLK_ESCAPE, true);
    Step();
    HoldKey(SDLK_ESCAPE, false);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    // The next fade-out starts where the last one stopped and hands on a new choice.
    Release(320, 400);
    EXPECT_EQ(menu_->action, MenuAction::Exit);
}

TEST_F(MenuTest, TheMusicFollowsTheFadesAndKeepsItsVolumeWhenAFadeStops) {
    ReleaseMenu(menu_);
    ASSERT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0) << "the dummy audio driver opens";
    menu_ = CreateMenu();
    ASSERT_NE(menu_->music.module, nullptr);
    EXPECT_TRUE(menu_->music.playing);
    Step(100);  // level 20
    EXPECT_EQ(menu_->music.volume, 10);
    Step(100);
    Step(50);  // level 50
    EXPECT_EQ(menu_->music.volume, 25);
    Release(5, 5);  // a 16 ms frame to level 53.2, then the fade-in is cut short
    Step(100);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    EXPECT_EQ(menu_->music.volume, 26);  // and the volume stays where it got to

    menu_->fadeLevel = 256;
    Release(320, 270);
    Step(100);  // level 236
    EXPECT_EQ(menu_->music.volume, 118);
    HoldKey(SDLK_ESCAPE, true);
    Step(100);  // level 216, then the fade stops
    HoldKey(SDLK_ESCAPE, false);
    Step(100);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    EXPECT_EQ(menu_->music.volume, 108);
    ReleaseMenu(menu_);
    menu_ = nullptr;
    SDLMikMod_Quit();
}

TEST_F(MenuTest, ClosingTheWindowFadesOutEvenDuringTheFadeIn) {
    SDL_Event event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    Step();
    EXPECT_EQ(menuScreen, MenuScreen::FadeOut);
    EXPECT_EQ(menu_->action, MenuAction::Exit);
}

TEST_F(MenuTest, AReleaseCutsTheFadeInShort) {
    Release(5, 5);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    EXPECT_EQ(menu_->action, MenuAction::None);
}

TEST_F(MenuTest, F1ResetsTheTableOnlyOnTheScoreScreen) {
    HighScoreTable[0].score = 777;
    ShowButtons();
    HoldKey(SDLK_F1, true);
    Step();
    EXPECT_EQ(HighScoreTable[0].score, 777);
    menuScreen = MenuScreen::Scores;
    Step();
    EXPECT_EQ(HighScoreTable[0].score, 9);
}

TEST_F(MenuTest, AStarThatRisesOffTheTopComesBackBelowAtANewX) {
    MenuStar& star = menu_->stars[3];
    star.size = 20;
    star.speed = 5;
    star.spin = -12;
    star.x = 100;
    star.y = -19;  // one frame of 16 ms lifts it by 1.6
    MenuStar& other = menu_->stars[4];
    other.y = 300;
    other.speed = 5;
    srand(11);
    Step(16);
    EXPECT_FLOAT_EQ(star.y, 500.0f);
    EXPECT_GE(star.x, 0.0f);
    EXPECT_LT(star.x, 640.0f);
    srand(11);
    EXPECT_FLOAT_EQ(star.x, static_cast<float>(rand() % 640));
    EXPECT_FLOAT_EQ(star.size, 20.0f);
    EXPECT_FLOAT_EQ(star.speed, 5.0f);
    EXPECT_FLOAT_EQ(star.spin, -12.0f);
    EXPECT_FLOAT_EQ(star.angle, static_cast<float>(0.01 * FrameClock.totalMs * -12));
    EXPECT_FLOAT_EQ(other.y, 298.4f);
}

TEST_F(MenuTest, StarsAreScatteredBelowTheScreenInRandOrder) {
    srand(5);
    ScatterMenuStars(menu_);
    srand(5);
    for (const MenuStar& star : menu_->stars) {
        EXPECT_EQ(star.x, static_cast<float>(rand() % 640));
        EXPECT_EQ(star.y, static_cast<float>(500 + rand() % 500));
        EXPECT_EQ(star.size, static_cast<float>(10 + rand() % 30));
        EXPECT_EQ(star.speed, star.size * 0.25f);
        float spin = static_cast<float>(10 + rand() % 20);
        EXPECT_EQ(star.spin, rand() % 100 > 50 ? -spin : spin);
    }
}

TEST(MenuResourcesTest, LoadingStopsAtTheFirstMissingImage) {
    ASSERT_TRUE(OpenTestScreen());
    SetErrorsFatal(nullptr);
    {
        ScratchDirectory scratch;
        ::testing::internal::CaptureStderr();
        Menu* menu = CreateMenu();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "error loading mouse.png\n");
        EXPECT_EQ(menu->pointerImage, nullptr);
        EXPECT_EQ(menu->music.module, nullptr);
        // It still runs, with nothing to draw but its stars.
        FrameClock.deltaMs = 16;
        EXPECT_TRUE(MenuStep(menu));
        ReleaseMenu(menu);

        ScratchDirectory::WriteImage("data/mouse.png", 32, 32);
        ScratchDirectory::WriteImage("data/font.png", 640, 16);
        ::testing::internal::CaptureStderr();
        menu = CreateMenu();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "error...\n");
        EXPECT_NE(menu->pointerImage, nullptr);
        EXPECT_NE(menu->fontImage, nullptr);
        EXPECT_EQ(menu->titleImage, nullptr);
        ReleaseMenu(menu);
    }
    SetErrorsFatal(&menuTestFatal);
}

TEST_F(MenuTest, TheMainLoopRebuildsTheMenuAtF9AndDropsItWhenItHandsOver) {
    ReleaseMenu(menu_);
    menu_ = nullptr;
    EnsureMenu();
    Menu* first = CurrentMenu();
    ASSERT_NE(first, nullptr);
    EnsureMenu();
    EXPECT_EQ(CurrentMenu(), first);

    menuScreen = MenuScreen::Main;
    first->fadeLevel = 256;
    HoldKey(SDLK_F9, true);
    RunMainLoopFrame();
    HoldKey(SDLK_F9, false);
    EXPECT_TRUE(fullScreen);
    ASSERT_NE(CurrentMenu(), nullptr);
    EXPECT_EQ(menuScreen, MenuScreen::FadeIn) << "the new Menu fades in again";
    EXPECT_LT(CurrentMenu()->fadeLevel, 10.0f);

    CurrentMenu()->action = MenuAction::Play;
    CurrentMenu()->fadeLevel = -50;  // done whatever this frame's step turns out to be
    menuScreen = MenuScreen::FadeOut;
    RunMainLoopFrame();
    EXPECT_EQ(CurrentMenu(), nullptr);
    EXPECT_EQ(AppMode, AppModeKind::InGame);
}

}  // namespace
