// One game frame on a busy board: Draw alone (with and without the wipe) and a whole PlayFrame, beside
// one full-screen blit of the same format, measured in the same run. The goal is a whole frame within
// four full-screen blits.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "game/game.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "res/error_report.h"

namespace {

bool OpenScreen() {
    static bool open = false;
    if (!open) {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        open = SDL_Init(SDL_INIT_VIDEO) == 0 &&
               (screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_SWSURFACE)) != nullptr;
        InitFont();
    }
    return open;
}

// A full board, a lit group under the pointer, the level message in place, an announcement showing and
// every number on the panel: everything Draw can paint in one frame.
Game* BusyGame() {
    srand(7);
    Game* game = CreateGame();
    game->fading = false;
    game->fadeStep = 0;
    game->fadeLevel = 256;
    game->score = game->shownScore = 123456;
    game->levelPoints = 4321;
    game->levelOver = true;
    game->levelWon = true;
    game->perfectFlag = true;
    game->messageX = 50;
    game->messageDelay = 1e9f;
    game->doubleTimer = 255;
    lastBonusKind = 3;
    game->pointsTimer = 255;
    SDL_WarpMouse(240, 240);
    game->hoverPoints = game->MarkGroupAt(240, 240);
    FrameClock.totalMs = 256 + 512;  // every blinking item on
    FrameClock.deltaMs = 0;
    return game;
}

void BM_FullScreenBlit(benchmark::State& state) {
    if (!OpenScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    const SDL_PixelFormat* format = screen->format;
    SDL_Surface* source = SDL_CreateRGBSurface(0, kScreenWidth, kScreenHeight, format->BitsPerPixel,
                                               format->Rmask, format->Gmask, format->Bmask, format->Amask);
    SDL_FillRect(source, nullptr, SDL_MapRGB(source->format, 10, 20, 30));
    for (auto _ : state) {
        SDL_BlitSurface(source, nullptr, screen, nullptr);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
}
BENCHMARK(BM_FullScreenBlit)->Unit(benchmark::kMicrosecond);

void BM_DrawBusyBoard(benchmark::State& state) {
    if (!OpenScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    const bool wipe = state.range(0) != 0;
    Game* game = BusyGame();
    for (size_t i = 0; i < kWipeMapSize; ++i) {
        game->wipeMap[i] = static_cast<Uint8>((i * 37) & 0xFF);  // half the blocks under the level
    }
    for (auto _ : state) {
        game->fadeLevel = wipe ? 128 : 256;
        game->Draw();
        benchmark::ClobberMemory();
    }
    DestroyGame(game);
}
BENCHMARK(BM_DrawBusyBoard)->Arg(0)->Arg(1)->ArgName("wipe")->Unit(benchmark::kMicrosecond);

void BM_PlayFrame(benchmark::State& state) {
    if (!OpenScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    Game* game = BusyGame();
    game->levelOver = false;
    game->levelWon = false;
    FrameClock.deltaMs = 1;
    for (auto _ : state) {
        game->timeLeft = 5000;
        benchmark::DoNotOptimize(game->PlayFrame());
    }
    DestroyGame(game);
}
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
