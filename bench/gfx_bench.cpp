// The drawing toolkit against references measured in the same run: the wipe against a plain memset of
// the same pixels, the star against SDL_gfx's translucent filled polygon, and text against one blit per
// glyph. Compare each pair's times for the ratios.
#include <SDL.h>
#include <SDL2_gfxPrimitives.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/triangle.h"
#include "gfx/wipe.h"

namespace {

SDL_Surface* Screen() {
    static SDL_Surface* screen = [] {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        SDL_Init(SDL_INIT_VIDEO);
        InitFont();
        SDL_Surface* surface = SDL_CreateRGBSurface(0, 640, 480, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        SDL_FillRect(surface, nullptr, 0x00406080);
        return surface;
    }();
    return screen;
}

// Random thresholds: no two neighbouring blocks agree, the hardest map for the block pass.
const std::vector<Uint8>& NoiseMap() {
    static const std::vector<Uint8> map = [] {
        std::mt19937 random(1);
        std::vector<Uint8> bytes(kWipeMapSize);
        for (auto& byte : bytes) {
            byte = static_cast<Uint8>(random());
        }
        return bytes;
    }();
    return map;
}

// A diagonal sweep with a little noise, the kind of shape a real transition has.
const std::vector<Uint8>& SweepMap() {
    static const std::vector<Uint8> map = [] {
        std::mt19937 random(2);
        std::vector<Uint8> bytes(kWipeMapSize);
        for (int j = 0; j < 240; ++j) {
            for (int i = 0; i < 320; ++i) {
                const int value = (i + j) * 255 / 559 + static_cast<int>(random() % 9) - 4;
                bytes[j * 320 + i] = static_cast<Uint8>(value < 0 ? 0 : value > 255 ? 255 : value);
            }
        }
        return bytes;
    }();
    return map;
}

void BM_MemsetReference(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    for (auto _ : state) {
        SDL_LockSurface(screen);
        memset(screen->pixels, 0, static_cast<size_t>(screen->pitch) * 480);
        SDL_UnlockSurface(screen);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemsetReference);

void BM_DrawWipeNoise(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    const int level = static_cast<int>(state.range(0));
    for (auto _ : state) {
        DrawWipe(screen, level, NoiseMap().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawWipeNoise)->Arg(0)->Arg(128)->Arg(255);

void BM_DrawWipeSweep(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    const int level = static_cast<int>(state.range(0));
    for (auto _ : state) {
        DrawWipe(screen, level, SweepMap().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawWipeSweep)->Arg(0)->Arg(128)->Arg(255);

// The game's own map, when the benchmark runs where data/ is (the build folder).
const bool kFileMapRegistered = [] {
    static std::vector<Uint8> map(kWipeMapSize);
    FILE* file = fopen("data/wipe0.raw", "rb");
    if (file == nullptr) {
        return false;
    }
    const size_t read = fread(map.data(), 1, map.size(), file);
    fclose(file);
    if (read != map.size()) {
        return false;
    }
    for (int level : {0, 128, 255}) {
        benchmark::RegisterBenchmark(("BM_DrawWipeGameMap/" + std::to_string(level)).c_str(),
                                     [level](benchmark::State& state) {
                                         SDL_Surface* screen = Screen();
                                         for (auto _ : state) {
                                             DrawWipe(screen, level, map.data());
                                             benchmark::ClobberMemory();
                                         }
                                     });
    }
    return true;
}();

constexpr int kStarX = 320;
constexpr int kStarY = 240;
constexpr int kStarRadius = 40;

void BM_DrawStar(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    const Uint32 yellow = SDL_MapRGB(screen->format, 255, 255, 0);
    int angle = 0;
    for (auto _ : state) {
        DrawStar(screen, kStarX, kStarY, kStarRadius, angle, yellow);
        angle = (angle + 1) % 72;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawStar);

// The same ten points the star is made of: tips and inner vertices in turn.
void StarOutline(int angle, Sint16* xs, Sint16* ys) {
    const double turn = angle / 72.0;
    for (int i = 0; i < 5; ++i) {
        const double m = turn + i;
        const double inner = 2 * m * 3.1415927 / 5;
        const double tip = 2 * (m + 0.5) * 3.1415927 / 5;
        xs[2 * i] = static_cast<Sint16>(kStarX + kStarRadius * 0.5 * cos(inner));
        ys[2 * i] = static_cast<Sint16>(kStarY + kStarRadius * 0.5 * sin(inner));
        xs[2 * i + 1] = static_cast<Sint16>(kStarX + kStarRadius * cos(tip));
        ys[2 * i + 1] = static_cast<Sint16>(kStarY + kStarRadius * sin(tip));
    }
}

void BM_SdlGfxPolygonReference(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    Sint16 outlines[72][2][10];
    for (int angle = 0; angle < 72; ++angle) {
        StarOutline(angle, outlines[angle][0], outlines[angle][1]);
    }
    // SDL2_gfx draws through a renderer: the software one over the same surface.
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(screen);
    if (renderer == nullptr) {
        state.SkipWithError("no software renderer");
        return;
    }
    int angle = 0;
    for (auto _ : state) {
        filledPolygonRGBA(renderer, outlines[angle][0], outlines[angle][1], 10, 255, 255, 0, 128);
        angle = (angle + 1) % 72;
        benchmark::ClobberMemory();
    }
    SDL_DestroyRenderer(renderer);
}
BENCHMARK(BM_SdlGfxPolygonReference);

// A strip of 40 keyed cells, converted like the game's images to the screen's format.
SDL_Surface* Strip(int cellWidth, int cellHeight, int cells) {
    SDL_Surface* strip =
        SDL_CreateRGBSurface(0, cellWidth * cells, cellHeight, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    for (int y = 0; y < cellHeight; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(strip->pixels) + y * strip->pitch);
        for (int x = 0; x < strip->w; ++x) {
            row[x] = (x + y) % 3 == 0 ? 0 : 0x00FFFFFF;
        }
    }
    SDL_SetColorKey(strip, SDL_TRUE, 0);
    return strip;
}

constexpr const char kLine[] = "3 MARIE-CLAUDE 0012345 FIN!";  // 27 characters
static_assert(sizeof kLine - 1 == 27);

void BM_DrawText(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    static SDL_Surface* font = Strip(16, 16, 40);
    for (auto _ : state) {
        DrawText(screen, 100, 200, kLine, font);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawText);

void BM_TextBlitReference(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    static SDL_Surface* font = Strip(16, 16, 40);
    std::vector<SDL_Rect> cells, places;
    for (int i = 0; kLine[i] != '\0'; ++i) {
        const char c = kLine[i];
        int glyph = -1;
        if (c >= 'A' && c <= 'Z') {
            glyph = c - 'A';
        } else if (c >= '0' && c <= '9') {
            glyph = 26 + c - '0';
        } else if (c == '!') {
            glyph = 37;
        } else if (c == '-') {
            glyph = 39;
        }
        if (glyph >= 0) {
            cells.push_back({static_cast<Sint16>(16 * glyph), 0, 16, 16});
            places.push_back({static_cast<Sint16>(100 + 12 * i), 200, 0, 0});
        }
    }
    for (auto _ : state) {
        for (size_t i = 0; i < cells.size(); ++i) {
            SDL_Rect place = places[i];
            SDL_BlitSurface(font, &cells[i], screen, &place);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TextBlitReference);

void BM_DrawNumbers(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    static SDL_Surface* digits = Strip(20, 28, 10);
    char text[16];
    int score = 0;
    for (auto _ : state) {
        snprintf(text, sizeof text, "%06i", score);
        DrawNumbers(screen, 500, 20, text, digits);
        score = (score + 37) % 1000000;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawNumbers);

void BM_NumbersBlitReference(benchmark::State& state) {
    SDL_Surface* screen = Screen();
    static SDL_Surface* digits = Strip(20, 28, 10);
    char text[16];
    int score = 0;
    for (auto _ : state) {
        snprintf(text, sizeof text, "%06i", score);
        for (int i = 0; i < 6; ++i) {
            SDL_Rect cell = {static_cast<Sint16>(20 * (text[i] - '0')), 0, 20, 28};
            SDL_Rect place = {static_cast<Sint16>(500 + 20 * i), 20, 0, 0};
            SDL_BlitSurface(digits, &cell, screen, &place);
        }
        score = (score + 37) % 1000000;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_NumbersBlitReference);

}  // namespace
