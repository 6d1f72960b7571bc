// Start-up rules a player relies on: the "-windowed" switch, the language file, the frame clock and the
// F12 quit through the whole program.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/frame_clock.h"
#include "app/language.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "app_support.h"
#include "game/shared_state.h"
#include "platform/data_dir.h"
#include "platform/frame_limiter.h"
#include "platform/input.h"
#include "platform/presentation.h"
#include "platform/text.h"
#include "support/fake_frame_time.h"

namespace {

CommandLine Parse(std::vector<std::string> words) {
    words.insert(words.begin(), "quz");
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    return ParseCommandLine(static_cast<int>(words.size()), argv.data());
}

TEST(StartupTest, AnExactWindowedArgumentAnywhereOpensAWindow) {
    EXPECT_TRUE(Parse({"-windowed"}).windowed);
    EXPECT_TRUE(Parse({"-windowed", "extra"}).windowed);
    EXPECT_TRUE(Parse({"x", "-windowed"}).windowed);
    EXPECT_TRUE(Parse({"--replay", "a.quzr", "-windowed"}).windowed);
    EXPECT_FALSE(Parse({}).windowed);
    EXPECT_FALSE(Parse({"-Windowed"}).windowed);
    EXPECT_FALSE(Parse({"-windowed2"}).windowed);
    EXPECT_FALSE(Parse({"--replay", "-windowed"}).windowed);  // that is the replay's name
}

TEST(StartupTest, HelpAndVersionAreReadAnywhere) {
    EXPECT_EQ(Parse({"--help"}).info, InfoRequest::Help);
    EXPECT_EQ(Parse({"--version", "x"}).info, InfoRequest::Version);
    EXPECT_EQ(Parse({"-windowed", "--help"}).info, InfoRequest::Help);
    EXPECT_EQ(Parse({"--help", "--version"}).info, InfoRequest::Help);
    EXPECT_EQ(Parse({"--version", "--help"}).info, InfoRequest::Help);
    EXPECT_EQ(Parse({"--Help"}).info, InfoRequest::None);
    EXPECT_EQ(Parse({}).info, InfoRequest::None);
}

TEST(StartupTest, ReplayNameAndSpeedInAnyOrder) {
    CommandLine line = Parse({"--replay-speed=8", "-windowed", "--replay", "games/best.quzr"});
    EXPECT_EQ(line.replayPath, "games/best.quzr");
    EXPECT_EQ(line.replaySpeed, 8);
    EXPECT_TRUE(line.error.empty());
    EXPECT_EQ(Parse({"--replay=x.quzr"}).replayPath, "x.quzr");
    EXPECT_EQ(Parse({"-windowed"}).replaySpeed, 1);
    for (auto words : std::vector<std::vector<std::string>>{{"--replay"},
                                                            {"-windowed", "--replay", ""},
                                                            {"--replay="},
                                                            {"--replay-speed=0"},
                                                            {"--replay-speed=65"},
                                                            {"--replay-speed=2x"},
                                                            {"--replay-speed="},
                                                            {"--replay-speed=99999999999999"}}) {
        EXPECT_FALSE(Parse(words).error.empty()) << words.back();
    }
}

// Start-up leaves the starting folder for the data's: the replay is named against where the player was.
TEST(StartupTest, ReplayNameIsResolvedAgainstTheStartingFolder) {
    CommandLine line = Parse({"--replay", "games/a.quzr"});
    ResolveReplayPath(line);
    EXPECT_EQ(line.replayPath, StartFolderPath("games/a.quzr"));
    EXPECT_EQ(line.replayPath.front(), '/');
    line = Parse({"--replay", "/tmp/b.quzr"});
    ResolveReplayPath(line);
    EXPECT_EQ(line.replayPath, "/tmp/b.quzr");
}

TEST(FrameClockTest, FirstFrameIsOneAndStallsAreClamped) {
    FrameClockValues clock;
    AdvanceFrameClock(clock, 5000);
    EXPECT_EQ(clock.deltaMs, 1);
    EXPECT_EQ(clock.totalMs, 1);
    AdvanceFrameClock(clock, 5016);
    EXPECT_EQ(clock.deltaMs, 16);
    AdvanceFrameClock(clock, 5266);  // a 250 ms stall
    EXPECT_EQ(clock.deltaMs, 100);
    EXPECT_EQ(clock.totalMs, 117);
    EXPECT_EQ(clock.lastTick, 5266);
    // The millisecond counter passes 2^31 after 24.8 days and wraps after 49.7; steps stay right.
    AdvanceFrameClock(clock, 0x7FFFFFF8u);
    AdvanceFrameClock(clock, 0x80000008u);
    EXPECT_EQ(clock.deltaMs, 16);
    AdvanceFrameClock(clock, 0xFFFFFFF8u);
    AdvanceFrameClock(clock, 0x00000009u);
    EXPECT_EQ(clock.deltaMs, 17);
}

class LanguageTest : public ::testing::Test {
  protected:
    void Write(const std::string& bytes) {
        FILE* file = fopen("data/text_zz.txt", "wb");
        ASSERT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    void TearDown() override { remove("data/text_zz.txt"); }
    char texts_[4][256] = {};
};

TEST_F(LanguageTest, FourLinesKeepTheirTerminators) {
    Write("bottom\nrank\nname\nscore\nignored\n");
    ASSERT_TRUE(ReadLanguageTexts("zz", texts_));
    EXPECT_STREQ(texts_[0], "bottom\n");
    EXPECT_STREQ(texts_[3], "score\n");
}

TEST_F(LanguageTest, A255ByteLineLeavesItsTerminatorAsTheNextLine) {
    Write(std::string(255, 'A') + "\nB\nC\n");
    ASSERT_TRUE(ReadLanguageTexts("zz", texts_));
    EXPECT_EQ(std::string(texts_[0]), std::string(255, 'A'));
    EXPECT_STREQ(texts_[1], "\n");
    EXPECT_STREQ(texts_[2], "B\n");
    EXPECT_STREQ(texts_[3], "C\n");
}

TEST_F(LanguageTest, ShortFileLeavesTheRestEmpty) {
    Write("one\ntwo");
    ASSERT_TRUE(ReadLanguageTexts("zz", texts_));
    EXPECT_STREQ(texts_[1], "two");
    EXPECT_STREQ(texts_[2], "");
    EXPECT_STREQ(texts_[3], "");
}

TEST_F(LanguageTest, MissingFileIsReportedAndLeavesTextsEmpty) {
    texts_[0][0] = 'x';
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadLanguageTexts("none", texts_));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "language file not found\n");
    EXPECT_STREQ(texts_[0], "");
}

TEST(LanguageChoiceTest, UnshippedLanguageFallsBackToFrench) {
    char code[32] = "en";
    EXPECT_TRUE(KeepAvailableLanguage(code));
    EXPECT_STREQ(code, "en");
    for (const char* bad : {"de", "", "../data", "en/../../x"}) {
        CopyText(code, bad);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(KeepAvailableLanguage(code)) << bad;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  std::string("language '") + bad + "' not available, using fr\n");
        EXPECT_STREQ(code, "fr");
    }
}

TEST(MainLoopTest, HeldF12EndsTheLoopAfterOneFrame) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    Shared.screen = OpenPresentation("test", false);
    ASSERT_NE(Shared.screen, nullptr);
    AppMode = AppModeKind::InMenu;
    Shared.frameClock = FrameClockValues{};
    InjectKey(InputKey::F12, true);
    RunMainLoop();
    ResetInput();
    EXPECT_EQ(AppMode, AppModeKind::Quit);
    EXPECT_EQ(Shared.frameClock.totalMs, 1);
    ClosePresentation();
    SDL_Quit();
}

// A flip that never waits (the dummy driver's, like the window framebuffer's) is held to the display's
// rate by sleeping, and the frame clock sees the frames that result.
TEST(MainLoopTest, AFlipThatNeverWaitsIsHeldToSixtyFramesASecond) {
    ASSERT_TRUE(OpenTestScreen());
    AppMode = AppModeKind::InMenu;
    Shared.frameClock = FrameClockValues{};
    FakeFrameTime time;
    frameLimiter.SetRefreshRate(60);
    std::vector<int32_t> steps;
    for (int frame = 0; frame < 120; ++frame) {
        ASSERT_TRUE(RunMainLoopFrame());
        steps.push_back(Shared.frameClock.deltaMs);
    }
    ReleaseMainLoopObjects();
    // Drawing takes no time on this clock: the sleeps are the whole frame time.
    EXPECT_EQ(time.sleeps.size(), 120u);
    EXPECT_NEAR(Micros(time.SleptMicros()), 2000000, 1000);
    EXPECT_EQ(steps[0], 1);
    for (size_t i = 1; i < steps.size(); ++i) {
        EXPECT_TRUE(steps[i] == 16 || steps[i] == 17) << "frame " << i << ": " << steps[i];
    }
    EXPECT_NEAR(Shared.frameClock.totalMs, 1 + 119 * 1000.0 / 60, 1);
}

TEST(MainLoopTest, F9KeepsTheScreenAndTogglesTheWindowAndTheFlag) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    Shared.fullScreen = false;
    Shared.screen = OpenPresentation("test", false);
    ASSERT_NE(Shared.screen, nullptr);
    SDL_Surface* screen = Shared.screen;
    ToggleFullScreen();
    EXPECT_TRUE(Shared.fullScreen);
    EXPECT_NE(SDL_GetWindowFlags(PresentationWindow()) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_EQ(Shared.screen, screen);
    ToggleFullScreen();
    EXPECT_FALSE(Shared.fullScreen);
    EXPECT_EQ(SDL_GetWindowFlags(PresentationWindow()) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_EQ(Shared.screen, screen);
    ReleaseMainLoopObjects();
    ClosePresentation();
    SDL_Quit();
}

// F9 and F12 act on the press: a press held for many frames switches once, and one shorter than a frame
// is not lost.
TEST(MainLoopTest, OneF9PressOfAnyLengthSwitchesOnceAndAShortF12Quits) {
    ASSERT_TRUE(OpenTestScreen());
    ResetInput();
    Shared.fullScreen = false;
    AppMode = AppModeKind::InMenu;
    Shared.frameClock = FrameClockValues{};
    InjectKey(InputKey::F9, true);
    for (int frame = 0; frame < 15; ++frame) {
        ASSERT_TRUE(RunMainLoopFrame());
    }
    EXPECT_TRUE(Shared.fullScreen);
    InjectKey(InputKey::F9, false);
    InjectKey(InputKey::F9, true);
    InjectKey(InputKey::F9, false);
    ASSERT_TRUE(RunMainLoopFrame());
    EXPECT_FALSE(Shared.fullScreen) << "a tap within one frame switches back";
    ASSERT_TRUE(RunMainLoopFrame());
    EXPECT_FALSE(Shared.fullScreen);

    InjectKey(InputKey::F12, true);
    InjectKey(InputKey::F12, false);
    EXPECT_FALSE(RunMainLoopFrame());
    EXPECT_EQ(AppMode, AppModeKind::Quit);
    ReleaseMainLoopObjects();
    ResetInput();
}

TEST(ProgramTest, WindowedRunQuitsWithStatusZeroOnHeldF12) {
    InjectKey(InputKey::F12, true);
    std::string program = "quz";
    std::string windowed = "-windowed";
    char* argv[] = {program.data(), windowed.data(), nullptr};
    EXPECT_EQ(RunQuz(2, argv), 0);
    ResetInput();
    EXPECT_FALSE(Shared.fullScreen);
    EXPECT_EQ(AppMode, AppModeKind::Quit);
}

}  // namespace
