// The title menu driven as a player drives it: clicks by band, the wheel, Escape during a fade, the
// window closed, F1 on the score screen, the stars' return, and the Menu's life in the main loop.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/high_scores.h"
#include "app/main_loop.h"
#include "app/menu.h"
#include "app_support.h"
#include "game/shared_state.h"
#include "loopback_server.h"
#include "net/connection.h"
#include "net/score_client.h"
#include "net/score_sender.h"
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
        Shared.fullScreen = false;
        AppMode = AppModeKind::InMenu;
        Shared.frameClock = FrameClockValues{};
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
        ResetInput();
        SetErrorsFatal(&menuTestFatal);
    }
    static void Drain() { ResetInput(); }
    // One menu frame of ms milliseconds, its input collected as the main loop does; forgets the Menu when
    // it released itself.
    void Step(int ms = 16) {
        Shared.frameClock.deltaMs = ms;
        Shared.frameClock.totalMs += ms;
        CollectInput(ms);
        if (!MenuStep(menu_)) {
            menu_ = nullptr;
        }
    }
    void Release(int x, int y, int button = 1) {
        InjectButton(button, false, x, y);
        Step();
    }
    // A tap of the key within one frame.
    void Press(InputKey key) {
        InjectKey(key, true);
        InjectKey(key, false);
        Step();
    }
    void ShowButtons() {
        menuScreen = MenuScreen::Main;
        menu_->action = MenuAction::None;
        menu_->fadeLevel = 256;
    }
    Menu* menu_ = nullptr;
};

TEST_F(MenuTest, FadesInOverTheSoftwareScreenIn1280Ms) {
    EXPECT_EQ(menu_->backBuffer, Shared.screen);  // no separate surface for a Screen in system memory
    for (int frame = 0; frame < 12; ++frame) {
        Step(100);
    }
    EXPECT_EQ(menuScreen, MenuScreen::FadeIn);
    Step(100);  // past 256
    EXPECT_EQ(menuScreen, MenuScreen::Main);
}

TEST_F(MenuTest, AFrameCoversTheWholeScreen) {
    SDL_FillRect(Shared.screen, nullptr, SDL_MapRGB(Shared.screen->format, 255, 0, 255));
    menuScreen = MenuScreen::Main;
    Step();
    SDL_LockSurface(Shared.screen);
    // The copy covers the whole Screen: no magenta is left in its corners.
    const auto* pixels = static_cast<const Uint32*>(Shared.screen->pixels);
    Uint32 magenta = SDL_MapRGB(Shared.screen->format, 255, 0, 255);
    EXPECT_NE(pixels[0], magenta);
    EXPECT_NE(pixels[479 * Shared.screen->pitch / 4 + 639], magenta);
    SDL_UnlockSurface(Shared.screen);
}

TEST_F(MenuTest, OnlyThePointersYChoosesTheButton) {
    for (int x : {0, 639}) {
        ShowButtons();
        Release(x, 260);
        EXPECT_EQ(menuScreen, MenuScreen::FadeOut) << "x " << x;
        EXPECT_EQ(menu_->action, MenuAction::Play) << "x " << x;
    }
    for (int y : {250, 441}) {
        ShowButtons();
        Release(320, y);
        EXPECT_EQ(menuScreen, MenuScreen::Main) << "y " << y;
        EXPECT_EQ(menu_->action, MenuAction::None) << "y " << y;
    }
    ASSERT_EQ(menu_->buttonCount, 5);
    EXPECT_EQ(MenuButtonAt(menu_, 288), 1);
    EXPECT_EQ(MenuButtonAt(menu_, 289), 2);
    EXPECT_EQ(MenuButtonAt(menu_, 364), 3);
    EXPECT_EQ(MenuButtonAt(menu_, 440), 5);
    EXPECT_EQ(MenuButtonAt(menu_, 441), 0);
    const MenuButton order[] = {MenuButton::None,  MenuButton::Play, MenuButton::Daily, MenuButton::Scores,
                                MenuButton::About, MenuButton::Exit, MenuButton::None};
    for (int band = 0; band <= 6; ++band) {
        EXPECT_EQ(MenuButtonOfBand(menu_, band), order[band]) << band;
    }
}

TEST_F(MenuTest, ArrowKeysLightTheButtonsRoundTheEndsAndReturnPressesTheLitOne) {
    ShowButtons();
    InjectPointer(320, 100);  // over the title: no button under the pointer
    Step();
    EXPECT_EQ(menu_->hoveredButton, 0);
    Press(InputKey::Down);
    EXPECT_EQ(menu_->hoveredButton, 1);
    Press(InputKey::Up);
    EXPECT_EQ(menu_->hoveredButton, 5);
    Press(InputKey::Down);
    EXPECT_EQ(menu_->hoveredButton, 1);
    Press(InputKey::Down);
    Press(InputKey::Down);
    Step();
    EXPECT_EQ(menu_->hoveredButton, 3) << "the pointer has not moved: the keys keep the light";
    Press(InputKey::Return);
    EXPECT_EQ(menuScreen, MenuScreen::Scores);
    Press(InputKey::Return);  // like a click, it leaves the score screen
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    EXPECT_EQ(menu_->action, MenuAction::None);

    // Moving the mouse hands the light back to the pointer, and a click goes by the pointer's band.
    Press(InputKey::Down);
    EXPECT_EQ(menu_->hoveredButton, 4);
    InjectPointer(320, 260);
    Step();
    EXPECT_EQ(menu_->hoveredButton, 1);
    Press(InputKey::Down);
    Press(InputKey::Down);
    EXPECT_EQ(menu_->hoveredButton, 3);
    Release(320, 260);
    EXPECT_EQ(menu_->action, MenuAction::Play);
    EXPECT_EQ(menuScreen, MenuScreen::FadeOut);
}

TEST_F(MenuTest, TheDailyGameIsReachedByKeysAndByClickAndStartsAsADailyGame) {
    ShowButtons();
    InjectPointer(320, 100);
    Step();
    Press(InputKey::Down);
    Press(InputKey::Down);
    EXPECT_EQ(MenuButtonOfBand(menu_, menu_->hoveredButton), MenuButton::Daily);
    Press(InputKey::Return);
    EXPECT_EQ(menu_->action, MenuAction::PlayDaily);
    EXPECT_EQ(menuScreen, MenuScreen::FadeOut);
    ShowButtons();
    Release(320, 300);
    EXPECT_EQ(menu_->action, MenuAction::PlayDaily);
    int frames = 0;
    while (menu_ != nullptr && frames < 200) {
        Step(50);
        ++frames;
    }
    EXPECT_EQ(AppMode, AppModeKind::InDailyGame);
}

// A data folder made before the daily game (or one with only the classic pictures) keeps the classic
// four buttons where they always were, with a line saying why.
TEST(MenuLayoutTest, WithoutTheDailyPicturesTheMenuKeepsFourButtons) {
    ASSERT_TRUE(OpenTestScreen());
    ScratchDirectory scratch;
    for (const char* name : {"data/mouse.png", "data/font.png", "data/title.png"}) {
        ScratchDirectory::WriteImage(name, 640, 251);
    }
    for (const char* name : {"play", "scores", "about", "exit", "splay", "sscores", "sabout", "sexit",
                             "copyright", "bottom", "credits", "daily"}) {
        ScratchDirectory::WriteImage(std::string("data/") + Shared.languageCode + "/" + name + ".png", 640,
                                     60);
    }
    SetErrorsFatal(nullptr);
    ::testing::internal::CaptureStderr();
    Menu* menu = CreateMenu();
    const std::string said = ::testing::internal::GetCapturedStderr();
    SetErrorsFatal(&menuTestFatal);
    EXPECT_FALSE(ErrorRaised()) << said;
    EXPECT_NE(said.find("sdaily.png: the menu has no daily game"), std::string::npos) << said;
    EXPECT_EQ(menu->buttonCount, 4);
    EXPECT_EQ(MenuButtonAt(menu, 293), 1);
    EXPECT_EQ(MenuButtonAt(menu, 294), 2);
    EXPECT_EQ(MenuButtonAt(menu, 419), 4);
    EXPECT_EQ(MenuButtonAt(menu, 420), 0);
    EXPECT_EQ(MenuButtonOfBand(menu, 2), MenuButton::Scores);
    EXPECT_EQ(MenuButtonOfBand(menu, 5), MenuButton::None);
    ReleaseMenu(menu);
}

// The rules are told on the About screen's second page, reached by a click or by Return, and drawn over the
// whole screen with no star over it; a click, Return or Escape goes back to the buttons.
TEST_F(MenuTest, TheAboutScreensSecondPageTellsHowToPlayByMouseAndKey) {
    ASSERT_NE(menu_->howToPlayImage, nullptr);
    ShowButtons();
    Release(320, 384);
    EXPECT_EQ(menuScreen, MenuScreen::Credits);
    Release(320, 384);
    EXPECT_EQ(menuScreen, MenuScreen::HowToPlay);
    InjectPointer(630, 470);
    for (int frame = 0; frame < 20; ++frame) {
        Step(100);  // the stars rise on meanwhile
    }
    SDL_Surface* shown = menu_->backBuffer;
    SDL_Surface* page = menu_->howToPlayImage;
    SDL_LockSurface(shown);
    SDL_LockSurface(page);
    int differing = 0;
    for (int y = 0; y < 440; y += 2) {
        const auto* a =
            reinterpret_cast<const Uint32*>(static_cast<Uint8*>(shown->pixels) + y * shown->pitch);
        const auto* b = reinterpret_cast<const Uint32*>(static_cast<Uint8*>(page->pixels) + y * page->pitch);
        for (int x = 0; x < 600; x += 2) {
            differing += a[x] != b[x] ? 1 : 0;
        }
    }
    SDL_UnlockSurface(page);
    SDL_UnlockSurface(shown);
    EXPECT_EQ(differing, 0) << "the page is covered by something";
    Press(InputKey::Return);
    EXPECT_EQ(menuScreen, MenuScreen::Main);

    // By the keyboard alone: Down to About, Return, Return, then Escape back.
    InjectPointer(320, 100);
    Step();
    for (int i = 0; i < 4; ++i) {
        Press(InputKey::Down);
    }
    Press(InputKey::Return);
    EXPECT_EQ(menuScreen, MenuScreen::Credits);
    Press(InputKey::Return);
    EXPECT_EQ(menuScreen, MenuScreen::HowToPlay);
    Press(InputKey::Escape);
    EXPECT_EQ(menuScreen, MenuScreen::Main);

    // Without the page the About screen is the credits alone, as before.
    SDL_FreeSurface(menu_->howToPlayImage);
    menu_->howToPlayImage = nullptr;
    Release(320, 384);
    Release(320, 384);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
}

// Stars pass behind the lit button: its label is drawn over them.
TEST_F(MenuTest, TheLitButtonsLabelIsDrawnOverTheStars) {
    ShowButtons();
    InjectPointer(320, 270);
    for (MenuStar& star : menu_->stars) {
        star = MenuStar{320, 272, 30, 0, 0, 0};  // every star over the play button's label, still
    }
    Step();
    Step();
    ASSERT_EQ(menu_->hoveredButton, 1);
    SDL_Surface* shown = menu_->backBuffer;
    SDL_Surface* lit = menu_->buttonLitImages[0];
    SDL_LockSurface(shown);
    SDL_LockSurface(lit);
    int differing = 0;
    for (int y = 0; y < 38; ++y) {
        const auto* a =
            reinterpret_cast<const Uint32*>(static_cast<Uint8*>(shown->pixels) + (251 + y) * shown->pitch);
        const auto* b = reinterpret_cast<const Uint32*>(static_cast<Uint8*>(lit->pixels) + y * lit->pitch);
        for (int x = 200; x < 440; ++x) {
            differing += a[x] != b[x] ? 1 : 0;
        }
    }
    SDL_UnlockSurface(lit);
    SDL_UnlockSurface(shown);
    EXPECT_EQ(differing, 0) << "a star covers the lit label";
}

TEST_F(MenuTest, AWheelTurnOverExitFadesOutToShutDown) {
    ShowButtons();
    Release(300, 420, 5);
    ASSERT_NE(menu_, nullptr);
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

TEST_F(MenuTest, TheMusicFollowsTheFadesAndEscapeDuringAFadeOutKeepsTheMenuAndTheChoice) {
    ReleaseMenu(menu_);
    ASSERT_NE(SDLMikMod_Init(44100, 4096, 4, 3), 0) << "the dummy audio driver opens";
    menu_ = CreateMenu();
    ASSERT_TRUE(menu_->music.playing);
    Step(100);
    Step(150);  // level 50
    EXPECT_EQ(menu_->music.volume, 25);
    Release(5, 5);  // a 16 ms frame to level 53.2, then the fade-in is cut short
    Step(100);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    EXPECT_EQ(menu_->music.volume, 26);  // and the volume stays where it got to

    menu_->fadeLevel = 256;
    Release(320, 270);
    Step(100);  // level 236
    EXPECT_EQ(menu_->music.volume, 118);
    InjectKey(InputKey::Escape, true);
    Step(100);  // level 216, then the fade stops
    InjectKey(InputKey::Escape, false);
    for (int frame = 0; frame < 5; ++frame) {
        Step(100);
    }
    EXPECT_NE(menu_, nullptr);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    EXPECT_EQ(menu_->action, MenuAction::Play);
    EXPECT_FLOAT_EQ(menu_->fadeLevel, 216.0f);
    EXPECT_EQ(menu_->music.volume, 108);

    // With a choice remembered, a click no longer leaves the score screen: only Escape does.
    Release(320, 340);
    Release(320, 340);
    EXPECT_EQ(menuScreen, MenuScreen::Scores);
    Press(InputKey::Escape);
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    Release(320, 420);  // a new choice replaces the remembered one
    EXPECT_EQ(menu_->action, MenuAction::Exit);
    ReleaseMenu(menu_);
    menu_ = nullptr;
    SDLMikMod_Quit();
}

TEST_F(MenuTest, ClosingTheWindowFadesOutEvenDuringTheFadeIn) {
    InjectClose();
    Step();
    EXPECT_EQ(menuScreen, MenuScreen::FadeOut);
    EXPECT_EQ(menu_->action, MenuAction::Exit);
}

TEST_F(MenuTest, F1ResetsTheTableOnlyOnTheScoreScreen) {
    HighScoreTable[0].score = 777;
    ShowButtons();
    Press(InputKey::F1);
    EXPECT_EQ(HighScoreTable[0].score, 777);
    menuScreen = MenuScreen::Scores;
    Press(InputKey::F1);
    EXPECT_EQ(HighScoreTable[0].score, 9);
}

TEST_F(MenuTest, AStarThatRisesOffTheTopComesBackBelowAtANewX) {
    MenuStar& star = menu_->stars[3];
    star = MenuStar{100, -19, 20, 0, 5, -12};  // one 16 ms frame lifts it by 1.6, past -20
    menu_->decorationRandom.Seed(11);
    Step(16);
    EXPECT_FLOAT_EQ(star.x, static_cast<float>(RandomStream(11).Next() % 640));
    EXPECT_FLOAT_EQ(star.y, 500.0f);
    EXPECT_FLOAT_EQ(star.size, 20.0f);
    EXPECT_FLOAT_EQ(star.speed, 5.0f);
    EXPECT_FLOAT_EQ(star.spin, -12.0f);
}

FinishedGame AFinishedGame(int litRow, uint64_t ticket) {
    FinishedGame game;
    game.shown = true;
    game.litRow = litRow;
    game.ticket = ticket;
    game.score = 1250;
    game.level = 2;
    return game;
}

Uint32 ScreenPixel(int x, int y) {
    SDL_Surface* screen = Shared.screen;
    return *reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(screen->pixels) + y * screen->pitch +
                                            x * 4);
}

Uint32 ImagePixel(SDL_Surface* image, int x, int y) {
    return *reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(image->pixels) + y * image->pitch +
                                            x * 4);
}

// After a name entry the menu fades in on the score screen, and for half a second takes no key or click
// (a Return pressed once more after the name would otherwise leave the screen before it is seen); the
// window's close is obeyed at once all the same.
TEST_F(MenuTest, AfterANameTheScoreScreenOpensAndIgnoresInputForHalfASecond) {
    ShowFinishedGame(menu_, AFinishedGame(2, 0));
    EXPECT_EQ(menuScreen, MenuScreen::FadeIn);
    EXPECT_EQ(ShownMenuScreen(menu_), MenuScreen::Scores);
    Step(100);
    for (InputKey key : {InputKey::Return, InputKey::Escape, InputKey::Down, InputKey::F1}) {
        HighScoreTable[0].score = 777;
        Press(key);
        EXPECT_EQ(ShownMenuScreen(menu_), MenuScreen::Scores) << static_cast<int>(key);
        EXPECT_FALSE(menu_->keyboardChoice);
        EXPECT_EQ(HighScoreTable[0].score, 777) << "F1 too waits";
    }
    Release(320, 300);
    EXPECT_EQ(ShownMenuScreen(menu_), MenuScreen::Scores) << "a click too";
    Step(100);
    Step(180);
    Press(InputKey::Return);
    EXPECT_EQ(ShownMenuScreen(menu_), MenuScreen::Scores) << "476 ms in";
    Step(16);
    Press(InputKey::Return);  // 508 ms in
    EXPECT_EQ(ShownMenuScreen(menu_), MenuScreen::Main);
    EXPECT_FALSE(menu_->finished.shown) << "left: the game is not shown again";
    menuScreen = MenuScreen::Scores;
    EXPECT_EQ(ShownMenuScreen(menu_), MenuScreen::Scores);
    Step();
    EXPECT_FALSE(menu_->finished.shown);

    ShowFinishedGame(menu_, AFinishedGame(-1, 0));
    InjectClose();
    Step();
    EXPECT_EQ(menuScreen, MenuScreen::FadeOut);
    EXPECT_EQ(menu_->action, MenuAction::Exit);
}

TEST_F(MenuTest, TheFadeInEndsOnTheScoreScreenWithTheNewRowLit) {
    ShowFinishedGame(menu_, AFinishedGame(4, 0));
    for (int frame = 0; frame < 14; ++frame) {
        Step(100);
    }
    EXPECT_EQ(menuScreen, MenuScreen::Scores);
    ASSERT_NE(menu_->rowLitImage, nullptr);
    // Between the name and the score columns the lit bar shows; the other rows keep the table's stripes.
    const int x = 460;
    EXPECT_EQ(ScreenPixel(x, 302 + 16 * 4 + 8), ImagePixel(menu_->rowLitImage, x - kLitRowBarX, 10));
    EXPECT_NE(ScreenPixel(x, 302 + 16 * 6 + 8), ImagePixel(menu_->rowLitImage, x - kLitRowBarX, 10));
}

// With nothing sent, a game without a row gets the one-line card (its own result alone), and a game with a
// lit row no card at all: the title shows there as it always does.
TEST_F(MenuTest, WithNothingSentTheCardHasOneLineOrNone) {
    ShowFinishedGame(menu_, AFinishedGame(-1, 0));
    menuScreen = MenuScreen::Scores;
    menu_->fadeLevel = 256;
    Step();
    ASSERT_NE(menu_->resultLineImage, nullptr);
    EXPECT_EQ(ScreenPixel(320, 246 - 34 + 3), ImagePixel(menu_->resultLineImage, 288, 3));
    EXPECT_EQ(ScreenPixel(320, 246 - 56 + 3), ImagePixel(menu_->titleImage, 320, 246 - 56 + 3))
        << "nothing above the one-line card";

    ShowFinishedGame(menu_, AFinishedGame(0, 0));
    menuScreen = MenuScreen::Scores;
    Step();
    EXPECT_EQ(ScreenPixel(320, 246 - 34 + 3), ImagePixel(menu_->titleImage, 320, 246 - 34 + 3));
}

// The sender's answer reaches the score screen through its queue, read every frame; until it comes the
// card says the game is on its way, and the frame never waits for it.
TEST_F(MenuTest, TheScoreScreenShowsTheSendersAnswerWhenItComes) {
    LoopbackServer server;
    ASSERT_TRUE(server.Listening());
    StartScoreSending(ScoreSenderConfig{CurrentScoreSettings(), false, "", ""});
    scoreServerChoice.off = false;
    scoreServerPort = server.Port();
    const uint64_t ticket = QueueScore("Ann", "NORMAL", 1250, false);
    ASSERT_NE(ticket, 0U);
    ShowFinishedGame(menu_, AFinishedGame(-1, ticket));
    menuScreen = MenuScreen::Scores;
    menu_->fadeLevel = 256;
    Step();
    ASSERT_NE(menu_->resultImage, nullptr);
    // The two-line card is up at once, centred, its foot at y 246.
    EXPECT_EQ(ScreenPixel(320, 246 - 56 + 3), ImagePixel(menu_->resultImage, 288, 3));
    server.Received();
    ASSERT_TRUE(GameScoreSender().WaitUntilIdle(5000));
    Step();
    EXPECT_TRUE(menu_->finished.answered);
    EXPECT_EQ(menu_->finished.answer.state, SubmissionState::Sent);
    EXPECT_TRUE(TakeSubmissionResults().empty()) << "the menu took it";
    FinishScoreSending(0);
    scoreServerPort = kDefaultScoreServerPort;
    scoreServerChoice = ScoreServerChoice{};
}

// A menu without its pointer, title or buttons cannot be used: a missing image ends the program as the
// game's images do, instead of leaving a menu of stars alone.
TEST(MenuResourcesTest, AMissingImageIsFatalAndLoadingStopsThere) {
    ASSERT_TRUE(OpenTestScreen());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    {
        ScratchDirectory scratch;
        EXPECT_EXIT(CreateMenu(), ::testing::ExitedWithCode(1), " Error: 'Cannot Load data/mouse.png'");
        ScratchDirectory::WriteImage("data/mouse.png", 32, 32);
        ScratchDirectory::WriteImage("data/font.png", 640, 16);
        EXPECT_EXIT(CreateMenu(), ::testing::ExitedWithCode(1), " Error: 'Cannot Load data/title.png'");
        // A damaged file is no better than a missing one.
        FILE* cut = fopen("data/title.png", "wb");
        ASSERT_NE(cut, nullptr);
        fputs("\x89PNG\r\n", cut);
        fclose(cut);
        EXPECT_EXIT(CreateMenu(), ::testing::ExitedWithCode(1), " Error: 'Cannot Load data/title.png'");

        SetErrorsFatal(nullptr);
        Menu* menu = CreateMenu();
        EXPECT_TRUE(ErrorRaised());
        EXPECT_NE(menu->fontImage, nullptr);
        EXPECT_EQ(menu->titleImage, nullptr);
        EXPECT_EQ(menu->music.module, nullptr) << "nothing after the failed image is loaded";
        ReleaseMenu(menu);
        SetErrorsFatal(&menuTestFatal);
    }
}

TEST_F(MenuTest, TheMainLoopKeepsTheMenuAtF9AndDropsItWhenItHandsOver) {
    ReleaseMenu(menu_);
    menu_ = nullptr;
    EnsureMenu();
    Menu* before = CurrentMenu();
    ASSERT_NE(before, nullptr);
    menuScreen = MenuScreen::Main;
    CurrentMenu()->fadeLevel = 256;
    InjectKey(InputKey::F9, true);
    RunMainLoopFrame();
    EXPECT_TRUE(Shared.fullScreen);
    EXPECT_EQ(CurrentMenu(), before) << "the Screen stays, and so does the Menu drawn into it";
    EXPECT_EQ(menuScreen, MenuScreen::Main) << "no second fade-in";

    RunMainLoopFrame();
    EXPECT_TRUE(Shared.fullScreen) << "F9 still down: one press, one switch";
    EXPECT_EQ(menuScreen, MenuScreen::Main);
    InjectKey(InputKey::F9, false);

    CurrentMenu()->action = MenuAction::Play;
    CurrentMenu()->fadeLevel = -50;  // done whatever this frame's step turns out to be
    menuScreen = MenuScreen::FadeOut;
    RunMainLoopFrame();
    EXPECT_EQ(CurrentMenu(), nullptr);
    EXPECT_EQ(AppMode, AppModeKind::InGame);
}

}  // namespace
