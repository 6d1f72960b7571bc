// The fast rectangle copy replaces the library's blit for the game screen and the menu, so it must put
// exactly the blit's pixels on the target: same clipping at every edge, same colour-key rule.
#include "gfx/surface_copy.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

SDL_Surface* MakeSurface(int w, int h, Uint32 seed) {
    SDL_Surface* surface = SDL_CreateRGBSurface(0, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    auto* pixels = static_cast<Uint32*>(surface->pixels);
    for (int i = 0; i < surface->pitch / 4 * h; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Every third pixel is the key colour, black, so keyed runs start and end mid-vector.
        pixels[i] = (seed >> 8) % 3 == 0 ? 0 : (seed >> 4) & 0xFFFFFF;
    }
    return surface;
}

std::vector<Uint32> Pixels(const SDL_Surface* surface) {
    const auto* begin = static_cast<const Uint32*>(surface->pixels);
    return {begin, begin + surface->pitch / 4 * surface->h};
}

struct Case {
    int sx, sy, w, h, dx, dy;
};

TEST(SurfaceCopyTest, MatchesTheBlitAtEveryEdgeWithAndWithoutKey) {
    const Case cases[] = {{0, 0, 37, 23, 5, 7},     {3, 2, 37, 23, -9, -4},   {0, 0, 64, 48, 50, 40},
                          {-5, -6, 20, 20, 10, 10}, {30, 30, 100, 100, 0, 0}, {0, 0, 64, 48, 70, 0},
                          {10, 5, 13, 9, 61, 45},   {0, 0, 64, 48, -64, 0}};
    for (bool keyed : {false, true}) {
        for (bool clipped : {false, true}) {
            for (const Case& c : cases) {
                SDL_Surface* source = MakeSurface(64, 48, 7);
                SDL_Surface* ours = MakeSurface(67, 51, 99);
                SDL_Surface* theirs = MakeSurface(67, 51, 99);
                if (keyed) {
                    SDL_SetColorKey(source, SDL_TRUE, 0);
                }
                if (clipped) {
                    SDL_Rect clip = {4, 3, 50, 40};
                    SDL_SetClipRect(ours, &clip);
                    SDL_SetClipRect(theirs, &clip);
                }
                EXPECT_EQ(CopyRect(source, c.sx, c.sy, c.w, c.h, ours, c.dx, c.dy), 0);
                // The blit takes its source origin as unsigned 16 bits; it is only given what it can take.
                if (c.sx >= 0 && c.sy >= 0) {
                    SDL_Rect from = {static_cast<Sint16>(c.sx), static_cast<Sint16>(c.sy),
                                     static_cast<Uint16>(c.w), static_cast<Uint16>(c.h)};
                    SDL_Rect to = {static_cast<Sint16>(c.dx), static_cast<Sint16>(c.dy), 0, 0};
                    SDL_BlitSurface(source, &from, theirs, &to);
                    EXPECT_TRUE(Pixels(ours) == Pixels(theirs))
                        << "keyed " << keyed << " clipped " << clipped << " at " << c.dx << "," << c.dy;
                }
                SDL_FreeSurface(source);
                SDL_FreeSurface(ours);
                SDL_FreeSurface(theirs);
            }
        }
    }
}

TEST(SurfaceCopyTest, NullSurfacesCopyNothing) {
    SDL_Surface* target = MakeSurface(8, 8, 1);
    std::vector<Uint32> before = Pixels(target);
    EXPECT_EQ(CopyRect(nullptr, 0, 0, 8, 8, target, 0, 0), 0);
    EXPECT_EQ(CopyRect(target, 0, 0, 8, 8, nullptr, 0, 0), 0);
    EXPECT_TRUE(Pixels(target) == before);
    SDL_FreeSurface(target);
}

TEST(SurfaceCopyTest, OtherFormatsGoThroughTheBlit) {
    SDL_Surface* source = SDL_CreateRGBSurface(0, 16, 16, 16, 0xF800, 0x7E0, 0x1F, 0);
    SDL_FillRect(source, nullptr, 0xFFFF);
    SDL_Surface* target = MakeSurface(16, 16, 3);
    EXPECT_EQ(CopyRect(source, 0, 0, 16, 16, target, 0, 0), 0);
    // 16-bit white converted by the library: every channel near full.
    const Uint32 pixel = static_cast<const Uint32*>(target->pixels)[0];
    EXPECT_GE((pixel >> 16) & 0xFF, 0xF8u);
    EXPECT_GE((pixel >> 8) & 0xFF, 0xF8u);
    EXPECT_GE(pixel & 0xFF, 0xF8u);
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}

}  // namespace
