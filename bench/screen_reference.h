// Shared by the frame benchmarks: a 640 by 480 software Screen under the dummy driver, and the reference
// every frame is compared with, one full-screen blit of the Screen's own format.
#pragma once

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/presentation.h"
#include "res/error_report.h"

inline bool OpenBenchScreen() {
    static bool open = false;
    if (!open) {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        open = SDL_Init(SDL_INIT_VIDEO) == 0 && (Shared.screen = OpenPresentation("bench", false)) != nullptr;
        InitFont();
        // A missing data file should skip a figure, not end the whole run.
        SetErrorsFatal(nullptr);
    }
    return open;
}

inline void BM_FullScreenBlit(benchmark::State& state) {
    if (!OpenBenchScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    const SDL_PixelFormat* format = Shared.screen->format;
    SDL_Surface* source = SDL_CreateRGBSurface(0, kScreenWidth, kScreenHeight, format->BitsPerPixel,
                                               format->Rmask, format->Gmask, format->Bmask, format->Amask);
    SDL_FillRect(source, nullptr, SDL_MapRGB(source->format, 10, 20, 30));
    for (auto _ : state) {
        SDL_BlitSurface(source, nullptr, Shared.screen, nullptr);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
}
BENCHMARK(BM_FullScreenBlit)->Unit(benchmark::kMicrosecond);
