// The game screen: background, panel, animated blocks, the panel's numbers, the points offered under the
// pointer (or the keyboard's cursor), the sliding level-end message, the pointer, the bonus announcements
// and the wipe fade; while paused, the pause screen over the board.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "game/game.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "gfx/surface_copy.h"
#include "gfx/wipe.h"
#include "platform/input.h"
#include "platform/text.h"

namespace {

constexpr int kAnimationFrames = 20;
constexpr int kLevelPointsX = 586;  // the panel's "this level" figure, five small digits
constexpr int kLevelPointsY = 264;
constexpr int kSmallDigitAdvance = 8;

// A frame is about 230 rectangle copies, two of them covering most of the screen; CopyRect keeps them
// well under the cost of the library's blits, which on this path stream past the cache (unkeyed) or go
// pixel by pixel through the general format code (keyed). Its result is the blit's (-2: video memory lost).
int Copy(SDL_Surface* source, int sx, int sy, int w, int h, int dx, int dy) {
    return CopyRect(source, sx, sy, w, h, Shared.screen, dx, dy);
}

SDL_Surface* BlockImage(const Game& game, int32_t value, bool lit) {
    if (value >= 1 && value <= 3) {
        return lit ? game.blockLitImages[value - 1] : game.blockImages[value - 1];
    }
    if (value >= kDoubleBonus && value <= kPointsBonus) {
        return lit ? game.bonusLitImages[value - kDoubleBonus] : game.bonusImages[value - kDoubleBonus];
    }
    return nullptr;
}

void Numbers(int x, int y, const char* text, SDL_Surface* image) {
    if (image != nullptr) {
        DrawNumbers(Shared.screen, x, y, text, image);
    }
}

void SmallNumbers(int x, int y, const char* text, SDL_Surface* image) {
    if (image != nullptr) {
        DrawSmallNumbers(Shared.screen, x, y, text, image);
    }
}

// The small digits picture has ten cells and no sign; the idle penalty can take a level's points below 0,
// so the minus is drawn here, in the digits' outline and middle colours, in the cell before the number.
void DrawSmallMinus(int x, int y) {
    SDL_Surface* screen = Shared.screen;
    SDL_Rect outline = {static_cast<Sint16>(x + 1), static_cast<Sint16>(y + 2), 6, 3};
    SDL_Rect stroke = {static_cast<Sint16>(x + 2), static_cast<Sint16>(y + 3), 4, 1};
    SDL_FillRect(screen, &outline, SDL_MapRGB(screen->format, 30, 20, 10));
    SDL_FillRect(screen, &stroke, SDL_MapRGB(screen->format, 255, 228, 145));
}

void DrawBoard(const Game& game) {
    const int32_t tick = Shared.frameClock.totalMs / 200;
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const int i = CellIndex(column, row);
            SDL_Surface* image = BlockImage(game, game.cells[i], game.highlight[i] != 0);
            if (image != nullptr) {
                const int frame = (tick + game.phases[i]) % kAnimationFrames;
                Copy(image, kCellPixels * frame, 0, kCellPixels, kCellPixels, kCellPixels * column,
                     kCellPixels * row);
            }
        }
    }
}

// Keyboard play shows where the cursor is: a light frame just inside the cursor cell, over the block.
void DrawCursorFrame(const Game& game) {
    if (!game.keyboardAim) {
        return;
    }
    SDL_Surface* screen = Shared.screen;
    const Uint32 light = SDL_MapRGB(screen->format, 255, 240, 120);
    const auto x = static_cast<Sint16>(game.cursorColumn * kCellPixels);
    const auto y = static_cast<Sint16>(game.cursorRow * kCellPixels);
    constexpr Uint16 kSide = kCellPixels;
    constexpr Uint16 kThick = 2;
    SDL_Rect edges[4] = {{x, y, kSide, kThick},
                         {x, static_cast<Sint16>(y + kSide - kThick), kSide, kThick},
                         {x, y, kThick, kSide},
                         {static_cast<Sint16>(x + kSide - kThick), y, kThick, kSide}};
    for (SDL_Rect& edge : edges) {
        SDL_FillRect(screen, &edge, light);
    }
}

void DrawPanelNumbers(const Game& game) {
    char text[32];
    // In the last second the 0 blinks off for its lower half.
    const int32_t msLeft = quz::core::TicksToMs(game.timeLeft);
    if (msLeft > 999 || (msLeft & 512) != 0) {
        const int32_t seconds = msLeft / 1000;
        FormatText(text, sizeof text, "%d", seconds < 0 ? 0 : seconds);
        Numbers(550, 337, text, game.digitsImage);
    }
    FormatText(text, sizeof text, "%06i", game.shownScore);
    Numbers(500, 277, text, game.digitsImage);
    FormatText(text, sizeof text, "%02i", game.lives);
    Numbers(544, 122, text, game.digitsImage);
    FormatText(text, sizeof text, "%02i", game.level);
    Numbers(544, 195, text, game.digitsImage);
    FormatText(text, sizeof text, "%5i", game.levelPoints);
    SmallNumbers(kLevelPointsX, kLevelPointsY, text, game.smallDigitsImage);
    const char* minus = strchr(text, '-');
    if (minus != nullptr && game.smallDigitsImage != nullptr) {
        DrawSmallMinus(kLevelPointsX + kSmallDigitAdvance * static_cast<int>(minus - text), kLevelPointsY);
    }
}

void DrawHoverPoints(const Game& game) {
    if (game.hoverPoints <= 0) {
        return;
    }
    int aimX = 0;
    int aimY = 0;
    game.AimPoint(aimX, aimY);
    char text[32];
    FormatText(text, sizeof text, "%d", game.hoverPoints);
    SmallNumbers(aimX + 10, aimY - 4, text, game.smallDigitsImage);
}

// The name and its cursor wait until the panel has stopped, so they never slide.
// Only a score that takes a place in the player's table is called a new high score.
void DrawNameEntry(const Game& game) {
    const bool record = game.score > game.recordFloor;
    Copy(record ? game.hiscoreImage : game.entryImage, 0, 0, 380, 128, game.messageX, 150);
    if (game.messageX != kMessageRestX || game.fontImage == nullptr) {
        return;
    }
    DrawText(Shared.screen, 71, 251, game.playerName, game.fontImage);
    if ((Shared.frameClock.totalMs & 128) != 0) {
        DrawText(Shared.screen, 71 + 12 * static_cast<int>(strlen(game.playerName)), 251, "-",
                 game.fontImage);
    }
}

void DrawLevelWon(const Game& game) {
    Copy(game.wonLevelImage, 0, 0, 380, 128, game.messageX, 150);
    if ((Shared.frameClock.totalMs & 512) != 0) {
        // A won level is always a cleared board; the 5000-points line would cover it.
        Copy(game.perfectImage, 0, 0, 256, 64, game.messageX + 62, 280);
        if (game.bonus5000Flag) {
            Copy(game.points5000Image, 0, 0, 256, 64, game.messageX + 62, 280);
        }
    }
}

void DrawLevelMessage(const Game& game) {
    switch (game.levelPhase) {
        case LevelPhase::Playing:
            break;
        case LevelPhase::NameEntry:
            DrawNameEntry(game);
            break;
        case LevelPhase::Won:
            DrawLevelWon(game);
            break;
        case LevelPhase::Lost:
            Copy(game.loseLevelImage, 0, 0, 380, 128, game.messageX, 150);
            break;
        case LevelPhase::GameOver:
            Copy(game.gameOverImage, 0, 0, 380, 128, game.messageX, 150);
            break;
    }
}

// In a window the pointer shows only while the mouse is over it; in full screen it always is. Under
// keyboard play it stands on the cursor cell, wherever the mouse is. Its translucency is set once, when
// the image is loaded.
void DrawPointer(const Game& game) {
    if (game.pointerImage == nullptr) {
        return;
    }
    if (game.keyboardAim || Shared.fullScreen || PointerInWindow()) {
        int aimX = 0;
        int aimY = 0;
        game.AimPoint(aimX, aimY);
        Copy(game.pointerImage, 0, 0, 32, 32, aimX, aimY);
    }
}

// Without its picture the pause still hides the board: a plain dark cover with the pause sign, two bars,
// which needs no words in any language.
void DrawPlainPauseCover() {
    SDL_Surface* screen = Shared.screen;
    SDL_Rect board = {0, 0, kBoardPixels, kBoardPixels};
    SDL_FillRect(screen, &board, SDL_MapRGB(screen->format, 16, 20, 40));
    const Uint32 light = SDL_MapRGB(screen->format, 200, 200, 220);
    constexpr Sint16 kBarTop = kBoardPixels / 2 - 50;
    SDL_Rect left = {kBoardPixels / 2 - 40, kBarTop, 28, 100};
    SDL_Rect right = {kBoardPixels / 2 + 12, kBarTop, 28, 100};
    SDL_FillRect(screen, &left, light);
    SDL_FillRect(screen, &right, light);
}

// Later announcements cover earlier ones, and all of them cover the pointer.
void DrawAnnouncements(const Game& game) {
    if ((Shared.frameClock.totalMs & 256) == 0) {
        return;
    }
    if (game.doubleTimer > 0) {
        Copy(game.bonus2xImage, 0, 0, 256, 64, 112, 210);
    }
    if (game.addLineTimer > 0) {
        Copy(game.bonusAddLineImage, 0, 0, 256, 64, 112, 210);
    }
    if (game.pointsTimer > 0) {
        SDL_Surface* image = game.lastBonusKind == BonusKind::Points1000  ? game.bonus1000Image
                             : game.lastBonusKind == BonusKind::Points500 ? game.bonus500Image
                                                                          : nullptr;
        Copy(image, 0, 0, 256, 64, 112, 210);
    }
}

}  // namespace

bool Game::Draw() const {
    if (Copy(backImage, 0, 0, kBoardPixels, kBoardPixels, 0, 0) == -2) {
        return false;
    }
    Copy(panelImage, 0, 0, 160, 480, kBoardPixels, 0);
    DrawPanelNumbers(*this);
    if (paused) {
        // The board stays hidden, so a pause gives no time to study it.
        if (pauseImage != nullptr) {
            Copy(pauseImage, 0, 0, kBoardPixels, kBoardPixels, 0, 0);
        } else {
            DrawPlainPauseCover();
        }
        DrawPointer(*this);
    } else {
        DrawBoard(*this);
        DrawCursorFrame(*this);
        DrawHoverPoints(*this);
        if (LevelOver()) {
            DrawLevelMessage(*this);
        }
        DrawPointer(*this);
        DrawAnnouncements(*this);
    }
    if (FadeLevel() < 256) {
        DrawWipe(Shared.screen, FadeLevel(), wipeMap);
    }
    return true;
}
