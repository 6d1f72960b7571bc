// The game screen compared pixel by pixel at the places where each item belongs: the panel's numbers,
// the blinking seconds, the block animation, the sliding message with the name, the pointer and the fade.
#include <cstring>
#include <utility>
#include <vector>

#include "game/shared_state.h"
#include "game_test_support.h"
#include "platform/audio_layer.h"
#include "platform/input.h"

namespace {

Uint32 PixelAt(SDL_Surface* surface, int x, int y) {
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    return reinterpret_cast<const Uint32*>(row)[x];
}

// Every pixel of the (sx, sy, w, h) cell of image that is not its colour key shows at (x, y).
testing::AssertionResult ShowsCell(SDL_Surface* image, int sx, int sy, int w, int h, int x, int y) {
    if (image == nullptr) {
        return testing::AssertionFailure() << "no image";
    }
    Uint32 key = 0;
    const bool keyed = SDL_GetColorKey(image, &key) == 0;
    int opaque = 0;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const Uint32 source = PixelAt(image, sx + i, sy + j);
            if (keyed && source == key) {
                continue;
            }
            ++opaque;
            const Uint32 shown = PixelAt(Shared.screen, x + i, y + j);
            if (shown != source) {
                return testing::AssertionFailure() << "pixel (" << x + i << "," << y + j << ") is "
                                                   << std::hex << shown << ", the image has " << source;
            }
        }
    }
    if (opaque == 0) {
        return testing::AssertionFailure() << "the cell is all colour key";
    }
    return testing::AssertionSuccess();
}

// The Screen at (x, y, w, h) shows exactly the panel image behind it.
testing::AssertionResult ShowsPanel(SDL_Surface* panel, int x, int y, int w, int h) {
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            if (PixelAt(Shared.screen, x + i, y + j) != PixelAt(panel, x + i - kBoardPixels, y + j)) {
                return testing::AssertionFailure() << "something drawn at (" << x + i << "," << y + j << ")";
            }
        }
    }
    return testing::AssertionSuccess();
}

class GameScreen : public GameSession {
  protected:
    void SetUp() override {
        GameSession::SetUp();
        game->LoadResources(true);
        ASSERT_NE(game->digitsImage, nullptr);
        memset(game->wipeMap, 0, sizeof game->wipeMap);
        game->SetFadeLevel(256);
        game->fadePhase = FadePhase::Shown;
        FillWithoutMoves(*game);
        Shared.frameClock.totalMs = 0;
        Shared.frameClock.deltaMs = 0;
        Shared.fullScreen = false;
        OverridePointerInWindow(0);
        WarpTo(630, 470);
    }

    void TearDown() override {
        OverridePointerInWindow(-1);
        GameSession::TearDown();
    }

    // The part of a frame that moves what moves with time and paints it.
    void DrawAt(int totalMs, int deltaMs = 0) {
        Shared.frameClock.totalMs = totalMs;
        Shared.frameClock.deltaMs = deltaMs;
        game->Animate();
        ASSERT_TRUE(game->Draw());
    }

    testing::AssertionResult Digit(int digit, int x, int y) {
        return ShowsCell(game->digitsImage, 20 * digit, 0, 20, 28, x, y);
    }
    testing::AssertionResult SmallDigit(int digit, int x, int y) {
        return ShowsCell(game->smallDigitsImage, 8 * digit, 0, 8, 7, x, y);
    }
};

// Paused without its picture, the board is still hidden: not one block's pixel shows.
TEST_F(GameScreen, APauseWithoutItsPictureStillHidesTheBoard) {
    SDL_FreeSurface(game->pauseImage);
    game->pauseImage = nullptr;
    game->paused = true;
    DrawAt(1000);
    const Uint32 cover = PixelAt(Shared.screen, 5, 5);
    int differing = 0;
    for (int y = 0; y < kBoardPixels; y += 3) {
        for (int x = 0; x < kBoardPixels; x += 3) {
            differing += PixelAt(Shared.screen, x, y) != cover ? 1 : 0;
        }
    }
    // Only the pause sign's two bars differ from the cover.
    EXPECT_GT(differing, 0);
    EXPECT_LT(differing, 2 * 28 * 100 / 9 + 100);
    EXPECT_TRUE(ShowsPanel(game->panelImage, kBoardPixels, 0, 160, 100)) << "the panel stays";
}

TEST_F(GameScreen, PanelNumbersInTheirPlaces) {
    game->shownScore = 1234;
    game->score = 99;  // the displayed value is drawn, not the score
    game->lives = 3;
    game->level = 12;
    game->levelPoints = 42;
    game->timeLeft = quz::core::kLevelStartIdleTicks;
    DrawAt(0);
    const int score[] = {0, 0, 1, 2, 3, 4};
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(Digit(score[k], 500 + 20 * k, 277)) << "score digit " << k;
    }
    EXPECT_TRUE(Digit(0, 544, 122));
    EXPECT_TRUE(Digit(3, 564, 122));
    EXPECT_TRUE(Digit(1, 544, 195));
    EXPECT_TRUE(Digit(2, 564, 195));
    EXPECT_TRUE(Digit(1, 550, 337));
    EXPECT_TRUE(Digit(0, 570, 337));
    // "%5i": only 4 and 2, right-aligned in five 8-pixel cells.
    EXPECT_TRUE(ShowsPanel(game->panelImage, 586, 264, 24, 7));
    EXPECT_TRUE(SmallDigit(4, 610, 264));
    EXPECT_TRUE(SmallDigit(2, 618, 264));
}

// The idle penalty takes a level below its start: the figure keeps its sign, in the cell before the digits,
// and the digits keep their cells.
TEST_F(GameScreen, ALevelBelowZeroShowsItsMinus) {
    game->levelPoints = -3865;
    DrawAt(0);
    const int digits[] = {3, 8, 6, 5};
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(SmallDigit(digits[k], 594 + 8 * k, 264)) << "digit " << k;
    }
    const Uint32 stroke = SDL_MapRGB(Shared.screen->format, 255, 228, 145);
    EXPECT_EQ(PixelAt(Shared.screen, 589, 267), stroke);
    EXPECT_FALSE(ShowsPanel(game->panelImage, 586, 264, 8, 7)) << "no minus drawn";

    game->levelPoints = -12345;  // six characters: the minus still goes first
    DrawAt(0);
    EXPECT_EQ(PixelAt(Shared.screen, 589, 267), stroke);
    EXPECT_TRUE(SmallDigit(5, 626, 264));

    game->levelPoints = 3865;
    DrawAt(0);
    EXPECT_TRUE(ShowsPanel(game->panelImage, 586, 264, 8, 7)) << "a minus on a positive figure";
    EXPECT_TRUE(SmallDigit(3, 594, 264));
}

// Keyboard play draws a frame round the cursor cell; the pointer alone draws none.
TEST_F(GameScreen, KeyboardPlayFramesTheCursorCell) {
    const Uint32 light = SDL_MapRGB(Shared.screen->format, 255, 240, 120);
    game->cursorColumn = 4;
    game->cursorRow = 9;
    DrawAt(0);
    EXPECT_NE(PixelAt(Shared.screen, 4 * 32 + 16, 9 * 32), light);
    game->keyboardAim = true;
    DrawAt(0);
    // The pointer stands at the cell's centre and covers its lower right quarter.
    for (const auto& [x, y] : {std::pair{130, 288}, {130, 288 + 31}, {128, 300}, {128 + 31, 290}}) {
        EXPECT_EQ(PixelAt(Shared.screen, x, y), light) << x << "," << y;
    }
    EXPECT_NE(PixelAt(Shared.screen, 128 + 8, 288 + 8), light) << "the block inside shows";
    EXPECT_NE(PixelAt(Shared.screen, 160 + 16, 288), light) << "the next cell has no frame";
}

// The idle timer counts ticks; the panel shows their milliseconds (59 ticks: 983 ms, 31: 516, 30: 500).
TEST_F(GameScreen, SecondsBlinkDuringTheLastSecond) {
    for (int32_t left : {59, 31}) {
        game->timeLeft = left;
        DrawAt(0);
        EXPECT_TRUE(Digit(0, 550, 337)) << left;
    }
    for (int32_t left : {30, 0}) {
        game->timeLeft = left;
        DrawAt(0);
        EXPECT_TRUE(ShowsPanel(game->panelImage, 550, 337, 40, 28)) << left;
    }
    game->timeLeft = -1;  // bit 512 set in two's complement
    DrawAt(0);
    EXPECT_TRUE(Digit(0, 550, 337));
    game->timeLeft = -36;  // -600 ms
    DrawAt(0);
    EXPECT_TRUE(ShowsPanel(game->panelImage, 550, 337, 40, 28));
}

TEST_F(GameScreen, BlocksAnimateByPositionPhase) {
    game->phases[CellIndex(3, 4)] = 19;
    game->phases[CellIndex(5, 6)] = 0;
    game->highlight[CellIndex(5, 6)] = 1;
    Put(*game, 7, 8, kPointsBonus);
    game->phases[CellIndex(7, 8)] = 5;
    Put(*game, 9, 9, kEmptyCell);
    DrawAt(4000);
    const int32_t v34 = game->cells[CellIndex(3, 4)];
    EXPECT_TRUE(ShowsCell(game->blockImages[v34 - 1], 32 * 19, 0, 32, 32, 96, 128));
    const int32_t v56 = game->cells[CellIndex(5, 6)];
    EXPECT_TRUE(ShowsCell(game->blockLitImages[v56 - 1], 0, 0, 32, 32, 160, 192));
    EXPECT_TRUE(ShowsCell(game->bonusImages[2], 32 * 5, 0, 32, 32, 224, 256));
    EXPECT_TRUE(ShowsCell(game->backImage, 288, 288, 32, 32, 288, 288))
        << "an empty cell shows the background";
}

TEST_F(GameScreen, OfferedPointsBesideThePointer) {
    WarpTo(100, 200);
    game->hoverPoints = 25;
    DrawAt(0);
    EXPECT_TRUE(SmallDigit(2, 110, 196));
    EXPECT_TRUE(SmallDigit(5, 118, 196));
    game->hoverPoints = 0;
    DrawAt(0);
    EXPECT_FALSE(SmallDigit(0, 110, 196));
}

TEST_F(GameScreen, MessagePanelSlidesInAndStopsAt50) {
    game->levelPhase = LevelPhase::Lost;
    const int expected[] = {-300, -200, -100, 0, 50, 50};
    for (int x : expected) {
        DrawAt(0, 100);
        EXPECT_EQ(game->messageX, x);
        if (x == -300) {
            // Only its right-hand 80 pixels are on the screen.
            EXPECT_TRUE(ShowsCell(game->loseLevelImage, 300, 0, 80, 128, 0, 150));
        }
    }
    EXPECT_TRUE(ShowsCell(game->loseLevelImage, 0, 0, 380, 128, 50, 150));
}

TEST_F(GameScreen, NameAndCursorOnlyOnceThePanelStands) {
    game->levelPhase = LevelPhase::NameEntry;
    strcpy(game->playerName, "AB");
    game->messageX = -100;
    DrawAt(128, 100);
    EXPECT_EQ(game->messageX, 0);
    EXPECT_FALSE(ShowsCell(game->fontImage, 0, 0, 16, 16, 71, 251)) << "no name while the panel moves";
    DrawAt(128, 100);
    EXPECT_TRUE(ShowsCell(game->fontImage, 0, 0, 16, 16, 71, 251));
    EXPECT_TRUE(ShowsCell(game->fontImage, 16, 0, 16, 16, 83, 251));
    EXPECT_TRUE(ShowsCell(game->fontImage, 16 * 39, 0, 16, 16, 95, 251)) << "cursor after the name";
    DrawAt(256);
    EXPECT_FALSE(ShowsCell(game->fontImage, 16 * 39, 0, 16, 16, 95, 251)) << "cursor blinks off";
    game->playerName[0] = '\0';
    DrawAt(128);
    EXPECT_TRUE(ShowsCell(game->fontImage, 16 * 39, 0, 16, 16, 71, 251));
}

// Only a score that takes a place in the player's table is called a new high score; a game entered for
// the score server alone gets the plain entry panel.
TEST_F(GameScreen, TheEntryClaimsARecordOnlyAboveTheTablesFloor) {
    game->levelPhase = LevelPhase::NameEntry;
    game->messageX = 50;
    game->score = 600;
    game->recordFloor = 599;
    DrawAt(0);
    EXPECT_TRUE(ShowsCell(game->hiscoreImage, 0, 0, 380, 64, 50, 150));
    game->recordFloor = 600;  // an equal score takes no place
    DrawAt(0);
    EXPECT_TRUE(ShowsCell(game->entryImage, 0, 0, 380, 64, 50, 150));
    EXPECT_FALSE(ShowsCell(game->hiscoreImage, 0, 0, 380, 64, 50, 150));
}

TEST_F(GameScreen, WonLevelLinesBlinkUnderTheMessage) {
    game->levelPhase = LevelPhase::Won;
    game->messageX = 50;
    DrawAt(512);
    EXPECT_TRUE(ShowsCell(game->perfectImage, 0, 0, 256, 64, 112, 280));
    DrawAt(1024);
    EXPECT_FALSE(ShowsCell(game->perfectImage, 0, 0, 256, 64, 112, 280));
}

TEST_F(GameScreen, PointerNeedsMouseFocusInAWindow) {
    WarpTo(300, 300);
    DrawAt(0);
    SDL_Surface* without = SDL_ConvertSurface(Shared.screen, Shared.screen->format, 0);
    OverridePointerInWindow(1);
    DrawAt(0);
    SDL_Rect area = {300, 300, 32, 32};
    bool differs = false;
    for (int j = 0; j < 32 && !differs; ++j) {
        for (int i = 0; i < 32 && !differs; ++i) {
            differs =
                PixelAt(Shared.screen, area.x + i, area.y + j) != PixelAt(without, area.x + i, area.y + j);
        }
    }
    EXPECT_TRUE(differs) << "the pointer shows with mouse focus";
    OverridePointerInWindow(0);
    Shared.fullScreen = true;
    DrawAt(0);
    EXPECT_NE(memcmp(Shared.screen->pixels, without->pixels, static_cast<size_t>(Shared.screen->pitch) * 480),
              0)
        << "in full screen the pointer always shows";
    Shared.fullScreen = false;
    SDL_FreeSurface(without);
}

TEST_F(GameScreen, AnnouncementsBlinkOverEverything) {
    game->doubleTimer = 100;
    DrawAt(256);
    EXPECT_TRUE(ShowsCell(game->bonus2xImage, 0, 0, 256, 64, 112, 210));
    DrawAt(512);
    EXPECT_FALSE(ShowsCell(game->bonus2xImage, 0, 0, 256, 64, 112, 210));
    game->doubleTimer = 0;
    game->pointsTimer = 10;
    game->lastBonusKind = BonusKind::Points500;
    DrawAt(256);
    EXPECT_TRUE(ShowsCell(game->bonus500Image, 0, 0, 256, 64, 112, 210));
    game->lastBonusKind = BonusKind::Points1000;
    DrawAt(256);
    EXPECT_TRUE(ShowsCell(game->bonus1000Image, 0, 0, 256, 64, 112, 210));
}

TEST_F(GameScreen, FadeAtMinus80IsBlackAndSilent) {
    // The music's volume is only kept while the audio layer is open.
    if (SDLMikMod_Init(44100, 4096, 4, 3) == 0) {
        GTEST_SKIP() << "no audio layer";
    }
    game->SetFadeLevel(-80);
    game->fadePhase = FadePhase::FadeIn;
    game->music.volume = 60;
    DrawAt(0, 0);
    EXPECT_EQ(game->music.volume, 0);
    for (int y = 0; y < kScreenHeight; y += 7) {
        for (int x = 0; x < kScreenWidth; x += 5) {
            ASSERT_EQ(PixelAt(Shared.screen, x, y), 0u) << x << "," << y;
        }
    }
    // At 256 and above no wipe and the volume is left alone; below, the volume is half the level.
    game->SetFadeLevel(260);
    DrawAt(0, 50);
    EXPECT_EQ(game->music.volume, 0);
    EXPECT_TRUE(Digit(0, 500, 277));
    game->SetFadeLevel(200);
    game->fadePhase = FadePhase::Shown;
    DrawAt(0, 50);
    EXPECT_EQ(game->FadeLevel(), 200) << "the fade moves with the session's steps, never while drawing";
    EXPECT_EQ(game->music.volume, 100);
    SDLMikMod_Quit();
}

// Drawing is a pure paint: the Game is bit for bit what it was, and the same Game paints the same picture.
TEST_F(GameScreen, DrawChangesNothingButTheScreen) {
    game->levelPhase = LevelPhase::Won;
    game->messageX = -200;
    game->SetFadeLevel(100);
    game->fadePhase = FadePhase::FadeOutToNext;
    game->pointsTimer = 50;
    game->hoverPoints = 9;
    Shared.frameClock.totalMs = 256 + 512;
    Shared.frameClock.deltaMs = 40;
    std::vector<unsigned char> before(sizeof(Game));
    memcpy(before.data(), static_cast<const void*>(game), sizeof(Game));
    const Uint32 pointerFlags = game->pointerImage->flags;
    ASSERT_TRUE(game->Draw());
    std::vector<Uint8> first(
        static_cast<const Uint8*>(Shared.screen->pixels),
        static_cast<const Uint8*>(Shared.screen->pixels) + Shared.screen->pitch * kScreenHeight);
    ASSERT_TRUE(game->Draw());
    EXPECT_EQ(memcmp(before.data(), static_cast<const void*>(game), sizeof(Game)), 0);
    EXPECT_EQ(game->pointerImage->flags, pointerFlags);
    EXPECT_EQ(memcmp(first.data(), Shared.screen->pixels, first.size()), 0);
    EXPECT_EQ(Shared.frameClock.deltaMs, 40);
}

}  // namespace
