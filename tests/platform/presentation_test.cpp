// The presentation choice leaves a user's own settings alone, and never asks for the software renderer
// without the window framebuffer that makes it cheap.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/presentation.h"

namespace {

constexpr size_t kVariableCount = 3;
const std::array<const char*, kVariableCount> kVariables = {
    "SDL_RENDER_DRIVER", "SDL_FRAMEBUFFER_ACCELERATION", "SDL12COMPAT_SYNC_TO_VBLANK"};

class PresentationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (size_t i = 0; i < kVariableCount; ++i) {
            const char* value = getenv(kVariables[i]);
            if (value != nullptr) {
                saved_[i] = value;
            }
            unsetenv(kVariables[i]);
        }
    }
    void TearDown() override {
        for (size_t i = 0; i < kVariableCount; ++i) {
            if (saved_[i]) {
                setenv(kVariables[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(kVariables[i]);
            }
        }
    }
    static std::string Get(const char* name) {
        const char* value = getenv(name);
        return value != nullptr ? value : "(unset)";
    }

  private:
    std::array<std::optional<std::string>, kVariableCount> saved_;
};

TEST_F(PresentationTest, AUsersOwnSettingsAreKept) {
    setenv("SDL_RENDER_DRIVER", "opengl", 1);
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "0", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "1", 1);
    ChoosePresentation();
    EXPECT_EQ(Get("SDL_RENDER_DRIVER"), "opengl");
    EXPECT_EQ(Get("SDL12COMPAT_SYNC_TO_VBLANK"), "0");
    EXPECT_EQ(Get("SDL_FRAMEBUFFER_ACCELERATION"), "1");
}

TEST_F(PresentationTest, TheSoftwareRendererComesWithTheWindowFramebuffer) {
    ChoosePresentation();
    EXPECT_EQ(Get("SDL12COMPAT_SYNC_TO_VBLANK"), "1");
    // Which renderer depends on the machine (a graphics card keeps OpenGL); the pair never splits.
    if (Get("SDL_RENDER_DRIVER") == "software") {
        EXPECT_EQ(Get("SDL_FRAMEBUFFER_ACCELERATION"), "0");
    } else {
        EXPECT_EQ(Get("SDL_RENDER_DRIVER"), "(unset)");
        EXPECT_EQ(Get("SDL_FRAMEBUFFER_ACCELERATION"), "(unset)");
    }
}

}  // namespace
