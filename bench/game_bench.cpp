// One game frame on a busy board: Draw alone (with and without the wipe) and a whole PlayFrame, beside
// one full-screen blit of the same format, measured in the same run. The goal is a whole frame within
// four full-screen blits.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/screen_reference.h"
#include "game/game.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/input.h"
#include "res/error_report.h"

namespace {

// A full board, a lit group under the pointer, the level message in place, an announcement showing and
// every number on the panel: everything Draw can paint in one frame.
Game* BusyGame() {
    Game* game = CreateGame(SessionSettings{7, 0, 7});
    game->fadePhase = FadePhase::Shown;
    game->SetFadeLevel(256);
    game->score = game->shownScore = 123456;
    game->levelPoints = 4321;
    game->levelPhase = LevelPhase::Won;
    game->messageX = 50;
    game->messageDelay = 1000000000;
    game->doubleTimer = 255;
    game->lastBonusKind = BonusKind::Points1000;
    game->pointsTimer = 255;
    InjectPointer(240, 240);
    game->hoverPoints = MarkGroupAt(*game, 240, 240);
    Shared.frameClock.totalMs = 256 + 512;  // every blinking item on
    Shared.frameClock.deltaMs = 0;
    return game;
}

void BM_DrawBusyBoard(benchmark::State& state) {
    if (!OpenBenchScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    const bool wipe = state.range(0) != 0;
    Game* game = BusyGame();
    for (size_t i = 0; i < kWipeMapSize; ++i) {
        game->wipeMap[i] = static_cast<Uint8>((i * 37) & 0xFF);  // half the blocks under the level
    }
    for (auto _ : state) {
        game->SetFadeLevel(wipe ? 128 : 256);
        benchmark::DoNotOptimize(game->Draw());
        benchmark::ClobberMemory();
    }
    DestroyGame(game);
}
BENCHMARK(BM_DrawBusyBoard)->Arg(0)->Arg(1)->ArgName("wipe")->Unit(benchmark::kMicrosecond);

void BM_PlayFrame(benchmark::State& state) {
    if (!OpenBenchScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    Game* game = BusyGame();
    game->levelPhase = LevelPhase::Playing;
    Shared.frameClock.deltaMs = 1;
    for (auto _ : state) {
        game->timeLeft = 5000;
        benchmark::DoNotOptimize(game->PlayFrame());
    }
    DestroyGame(game);
}
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
