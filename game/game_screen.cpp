// The game screen: background, panel, animated blocks, the panel's numbers, the points offered under the
// pointer, the sliding level-end message, the pointer, the bonus announcements and the wipe fade.
#include <SDL.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "game/game.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "gfx/wipe.h"
#include "platform/input.h"
#include "platform/text.h"

namespace {

constexpr int kAnimationFrames = 20;
constexpr int kMessageRestX = 50;  // centres the 380-pixel panel over the board

// Clips a copy of (sx, sy, w, h) of source to (dx, dy) on the Screen; false when nothing is left.
bool ClipCopy(const SDL_Surface* source, int& sx, int& sy, int& w, int& h, int& dx, int& dy) {
    if (sx < 0) {
        w += sx;
        dx -= sx;
        sx = 0;
    }
    if (sy < 0) {
        h += sy;
        dy -= sy;
        sy = 0;
    }
    w = std::min(w, source->w - sx);
    h = std::min(h, source->h - sy);
    const SDL_Rect& clip = screen->clip_rect;
    if (dx < clip.x) {
        w -= clip.x - dx;
        sx += clip.x - dx;
        dx = clip.x;
    }
    if (dy < clip.y) {
        h -= clip.y - dy;
        sy += clip.y - dy;
        dy = clip.y;
    }
    w = std::min(w, clip.x + clip.w - dx);
    h = std::min(h, clip.y + clip.h - dy);
    return w > 0 && h > 0;
}

// True for a plain 32-bit software image in the Screen's own format, colour-keyed or not.
bool SameFormat32(const SDL_Surface* source) {
    const SDL_PixelFormat* from = source->format;
    const SDL_PixelFormat* to = screen->format;
    return (source->flags & (SDL_HWSURFACE | SDL_SRCALPHA | SDL_RLEACCEL)) == 0 &&
           (screen->flags & SDL_HWSURFACE) == 0 && from->BytesPerPixel == 4 && to->BytesPerPixel == 4 &&
           from->Rmask == to->Rmask && from->Gmask == to->Gmask && from->Bmask == to->Bmask;
}

// A clipped copy of (sx, sy, w, h) of source to (dx, dy) on the Screen; the blit's result (0 when done
// here). A frame is about 230 such copies, two of them covering most of the screen. Between software
// images of the Screen's 32-bit format they are plain row loops here, which cost well under half of
// the library's copies on this path: its unkeyed copy streams past the cache, and its keyed copy goes
// pixel by pixel through the general format code. Anything else goes through the blit.
int Copy(SDL_Surface* source, int sx, int sy, int w, int h, int dx, int dy) {
    if (source == nullptr) {
        return 0;
    }
    if (!SameFormat32(source)) {
        SDL_Rect from = {static_cast<Sint16>(sx), static_cast<Sint16>(sy), static_cast<Uint16>(w),
                         static_cast<Uint16>(h)};
        SDL_Rect to = {static_cast<Sint16>(dx), static_cast<Sint16>(dy), 0, 0};
        return SDL_BlitSurface(source, &from, screen, &to);
    }
    if (!ClipCopy(source, sx, sy, w, h, dx, dy) || SDL_LockSurface(screen) != 0) {
        return 0;
    }
    const Uint8* src = static_cast<const Uint8*>(source->pixels) + sy * source->pitch + sx * 4;
    Uint8* dst = static_cast<Uint8*>(screen->pixels) + dy * screen->pitch + dx * 4;
    if ((source->flags & SDL_SRCCOLORKEY) == 0) {
        for (int row = 0; row < h; ++row, src += source->pitch, dst += screen->pitch) {
            memcpy(dst, src, static_cast<size_t>(w) * 4);
        }
    } else {
        const SDL_PixelFormat* format = source->format;
        const Uint32 mask = format->Rmask | format->Gmask | format->Bmask;
        const Uint32 key = format->colorkey & mask;
        for (int row = 0; row < h; ++row, src += source->pitch, dst += screen->pitch) {
            const Uint32* from = reinterpret_cast<const Uint32*>(src);
            Uint32* to = reinterpret_cast<Uint32*>(dst);
            int i = 0;
#ifdef __SSE2__
            // Four pixels at a time: where the source equals the key, keep what the Screen has.
            const __m128i maskWide = _mm_set1_epi32(static_cast<int>(mask));
            const __m128i keyWide = _mm_set1_epi32(static_cast<int>(key));
            for (; i + 4 <= w; i += 4) {
                const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
                const __m128i out = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i));
                const __m128i keyed = _mm_cmpeq_epi32(_mm_and_si128(in, maskWide), keyWide);
                const __m128i merged = _mm_or_si128(_mm_and_si128(keyed, out), _mm_andnot_si128(keyed, in));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), merged);
            }
#endif
            for (; i < w; ++i) {
                if ((from[i] & mask) != key) {
                    to[i] = from[i];
                }
            }
        }
    }
    SDL_UnlockSurface(screen);
    return 0;
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
