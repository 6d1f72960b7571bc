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

void DrawPanelNumbers(const Game& game) {
    char text[32];
    // In the last second the 0 blinks off for its lower half.
    if (game.timeLeft > 999 || (game.timeLeft & 512) != 0) {
        const int32_t seconds = game.timeLeft / 1000;
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
    SmallNumbers(586, 264, text, game.smallDigitsImage);
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
void DrawNameEntry(const Game& game) {
    Copy(game.hiscoreImage, 0, 0, 380, 128, game.messageX, 150);
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
    if (game.keyboardAim || Shared.fullScreen || (GetAppFocusState() & SDL_APPMOUSEFOCUS) != 0) {
        int aimX = 0;
        int aimY = 0;
        game.AimPoint(aimX, aimY);
        Copy(game.pointerImage, 0, 0, 32, 32, aimX, aimY);
    }
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
        Copy(pauseImage, 0, 0, kBoardPixels, kBoardPixels, 0, 0);
        DrawPointer(*this);
    } else {
        DrawBoard(*this);
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
