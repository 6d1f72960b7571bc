// The game screen: background, panel, animated blocks, the panel's numbers, the points offered under the
// pointer, the sliding level-end message, the pointer, the bonus announcements and the wipe fade.
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
constexpr int kMessageRestX = 50;  // centres the 380-pixel panel over the board

// A frame is about 230 rectangle copies, two of them covering most of the screen; CopyRect keeps them
// well under the cost of the library's blits, which on this path stream past the cache (unkeyed) or go
// pixel by pixel through the general format code (keyed). Its result is the blit's (-2: video memory lost).
int Copy(SDL_Surface* source, int sx, int sy, int w, int h, int dx, int dy) {
    return CopyRect(source, sx, sy, w, h, screen, dx, dy);
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
        DrawNumbers(screen, x, y, text, image);
    }
}

void SmallNumbers(int x, int y, const char* text, SDL_Surface* image) {
    if (image != nullptr) {
        DrawSmallNumbers(screen, x, y, text, image);
    }
}

}  // namespace

void Game::Draw() {
    if (Copy(backImage, 0, 0, kBoardPixels, kBoardPixels, 0, 0) == -2) {
        // The images lived in video memory that was taken away (a mode switch elsewhere): wait until the
        // display is back, reload them and skip the rest of this frame.
        fprintf(stderr, "RESTORING GAME\n");
        SDL_Delay(100);
        SDL_WaitEvent(nullptr);
        FreeImages();
        LoadResources(true);
        return;
    }
    Copy(panelImage, 0, 0, 160, 480, kBoardPixels, 0);

    const int32_t tick = FrameClock.totalMs / 200;
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const int i = CellIndex(column, row);
            SDL_Surface* image = BlockImage(*this, cells[i], highlight[i] != 0);
            if (image != nullptr) {
                const int frame = (tick + phases[i]) % kAnimationFrames;
                Copy(image, kCellPixels * frame, 0, kCellPixels, kCellPixels, kCellPixels * column,
                     kCellPixels * row);
            }
        }
    }

    char text[32];
    if (timeLeft > 999 || (timeLeft & 512) != 0) {
        const int32_t seconds = timeLeft / 1000;
        FormatText(text, sizeof text, "%d", seconds < 0 ? 0 : seconds);
        Numbers(550, 337, text, digitsImage);
    }
    FormatText(text, sizeof text, "%06i", shownScore);
    Numbers(500, 277, text, digitsImage);
    FormatText(text, sizeof text, "%02i", lives);
    Numbers(544, 122, text, digitsImage);
    FormatText(text, sizeof text, "%02i", level);
    Numbers(544, 195, text, digitsImage);
    FormatText(text, sizeof text, "%5i", levelPoints);
    SmallNumbers(586, 264, text, smallDigitsImage);

    int mouseX = 0;
    int mouseY = 0;
    if (hoverPoints > 0) {
        SDL_GetMouseState(&mouseX, &mouseY);
        FormatText(text, sizeof text, "%d", hoverPoints);
        SmallNumbers(mouseX + 10, mouseY - 4, text, smallDigitsImage);
    }

    if (levelOver) {
        messageX += FrameClock.deltaMs;
        if (messageX > kMessageRestX) {
            messageX = kMessageRestX;
        }
        if (enteringName) {
            Copy(hiscoreImage, 0, 0, 380, 128, messageX, 150);
            if (messageX == kMessageRestX && fontImage != nullptr) {
                DrawText(screen, 71, 251, playerName, fontImage);
                if ((FrameClock.totalMs & 128) != 0) {
                    DrawText(screen, 71 + 12 * static_cast<int>(strlen(playerName)), 251, "-", fontImage);
                }
            }
        } else if (levelWon) {
            Copy(wonLevelImage, 0, 0, 380, 128, messageX, 150);
            if ((FrameClock.totalMs & 512) != 0) {
                Copy(perfectFlag ? perfectImage : points5000Image, 0, 0, 256, 64, messageX + 62, 280);
                if (bonus5000Flag) {
                    Copy(points5000Image, 0, 0, 256, 64, messageX + 62, 280);
                }
            }
        } else if (levelLost) {
            Copy(loseLevelImage, 0, 0, 380, 128, messageX, 150);
        } else if (gameOver) {
            Copy(gameOverImage, 0, 0, 380, 128, messageX, 150);
        }
    }

    SDL_GetMouseState(&mouseX, &mouseY);
    if (pointerImage != nullptr) {
        SDL_SetAlpha(pointerImage, SDL_SRCALPHA, 150);
        if (fullScreen || (GetAppFocusState() & SDL_APPMOUSEFOCUS) != 0) {
            Copy(pointerImage, 0, 0, 32, 32, mouseX, mouseY);
        }
    }

    if ((FrameClock.totalMs & 256) != 0) {
        if (doubleTimer > 0) {
            Copy(bonus2xImage, 0, 0, 256, 64, 112, 210);
        }
        if (addLineTimer > 0) {
            Copy(bonusAddLineImage, 0, 0, 256, 64, 112, 210);
        }
        if (pointsTimer > 0) {
            SDL_Surface* image = lastBonusKind == 3   ? bonus1000Image
                                 : lastBonusKind == 4 ? bonus500Image
                                                      : nullptr;
            Copy(image, 0, 0, 256, 64, 112, 210);
        }
    }

    fadeLevel = static_cast<float>(fadeLevel + (fadeStep * FrameClock.deltaMs) / 5.0);
    if (fadeLevel < 256) {
        music.SetVolume(static_cast<int>(fadeLevel * 0.5f));
        DrawWipe(screen, static_cast<int>(fadeLevel), wipeMap);
    }
}
