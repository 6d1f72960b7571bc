// The presentation choice leaves a user's own settings alone and never asks for the software renderer
// without the window framebuffer that makes it cheap; the window keeps one 640 by 480 XRGB8888 Screen in
// both modes, and pointer positions map between the window and the picture whatever the window's size.
#include "platform/presentation.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr size_t kVariableCount = 4;
const std::array<const char*, kVariableCount> kVariables = {
    "SDL_RENDER_DRIVER", "SDL_FRAMEBUFFER_ACCELERATION", "SDL_RENDER_VSYNC", "SDL_RENDER_SCALE_QUALITY"};

class PresentationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (size_t i = 0; i < kVariableCount; ++i) {
            const char* value = getenv(kVariables[i]);
            if (value != nullptr) {
                saved_[i] = value;
            }
            unsetenv(kVariables[i]);
            SDL_ResetHint(kVariables[i]);
        }
    }
    void TearDown() override {
        for (size_t i = 0; i < kVariableCount; ++i) {
            if (saved_[i]) {
                setenv(kVariables[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(kVariables[i]);
            }
            SDL_ResetHint(kVariables[i]);
        }
    }
    // What SDL will read: the user's variable wins over a default hint.
    static std::string Get(const char* name) {
        const char* value = SDL_GetHint(name);
        return value != nullptr ? value : "(unset)";
    }

  private:
    std::array<std::optional<std::string>, kVariableCount> saved_;
};

TEST_F(PresentationTest, AUsersOwnSettingsAreKept) {
    setenv("SDL_RENDER_DRIVER", "opengl", 1);
    setenv("SDL_RENDER_VSYNC", "0", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "1", 1);
    ChoosePresentation();
    EXPECT_EQ(Get("SDL_RENDER_DRIVER"), "opengl");
    EXPECT_EQ(Get("SDL_RENDER_VSYNC"), "0");
    EXPECT_EQ(Get("SDL_FRAMEBUFFER_ACCELERATION"), "1");
}

TEST_F(PresentationTest, TheSoftwareRendererComesWithTheWindowFramebuffer) {
    ChoosePresentation();
    EXPECT_EQ(Get("SDL_RENDER_VSYNC"), "1");
    // Which renderer depends on the machine (a graphics card keeps OpenGL); the pair never splits.
    if (Get("SDL_RENDER_DRIVER") == "software") {
        EXPECT_EQ(Get("SDL_FRAMEBUFFER_ACCELERATION"), "0");
    } else {
        EXPECT_EQ(Get("SDL_RENDER_DRIVER"), "(unset)");
        EXPECT_EQ(Get("SDL_FRAMEBUFFER_ACCELERATION"), "(unset)");
    }
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override {
        ClosePresentation();
        SDL_Quit();
    }
};

TEST_F(WindowTest, OneXrgbScreenServesTheWindowAndTheFullScreen) {
    SDL_Surface* screen = OpenPresentation("test", true);
    ASSERT_NE(screen, nullptr) << SDL_GetError();
    EXPECT_EQ(screen->w, 640);
    EXPECT_EQ(screen->h, 480);
    EXPECT_EQ(screen->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_XRGB8888));
    EXPECT_EQ(PresentationScreen(), screen);
    SDL_Window* window = PresentationWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP,
              static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
    EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE, 0u);
    ASSERT_TRUE(SetPresentationFullScreen(false));
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_EQ(PresentationScreen(), screen);
    PresentScreen();  // nothing to see on the dummy driver, but it must not fail or crash
    ClosePresentation();
    EXPECT_EQ(PresentationWindow(), nullptr);
    EXPECT_EQ(PresentationScreen(), nullptr);
}

TEST_F(WindowTest, PointerPositionsMapBetweenAResizedWindowAndThePicture) {
    ASSERT_NE(OpenPresentation("test", false), nullptr) << SDL_GetError();
    int x = 0;
    int y = 0;
    WindowToPicture(100, 200, &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 200);

    // Twice as wide as the picture's shape wants: black bars left and right, each 320 px.
    SDL_SetWindowSize(PresentationWindow(), 1600, 600);
    SDL_PumpEvents();
    PresentScreen();
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(PresentationWindow(), &w, &h);
    ASSERT_EQ(w, 1600);
    ASSERT_EQ(h, 600);
    WindowToPicture(400 + 5 * 125 / 100, 0, &x, &y);
    EXPECT_NEAR(x, 5, 1);
    EXPECT_EQ(y, 0);
    WindowToPicture(800, 300, &x, &y);
    EXPECT_NEAR(x, 320, 1);
    EXPECT_NEAR(y, 240, 1);
    WindowToPicture(10, 599, &x, &y);
    EXPECT_EQ(x, 0) << "a point on the bar is the picture's nearest edge";
    EXPECT_EQ(y, 479);
    WindowToPicture(1599, 0, &x, &y);
    EXPECT_EQ(x, 639);

    int windowX = 0;
    int windowY = 0;
    PictureToWindow(320, 240, &windowX, &windowY);
    EXPECT_NEAR(windowX, 800, 2);
    EXPECT_NEAR(windowY, 300, 2);
}

TEST_F(WindowTest, TheDummyDriverShowsNothingUnlessItWasAskedFor) {
    const char* asked = getenv("SDL_VIDEODRIVER");
    ASSERT_NE(asked, nullptr) << "the unit tests run on the dummy driver";
    const std::string saved = asked;
    EXPECT_FALSE(VideoDriverShowsNothing()) << "asked for by name";
    unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(VideoDriverShowsNothing(), strcmp(SDL_GetCurrentVideoDriver(), "dummy") == 0);
    setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
}

}  // namespace
