// One frame of the title menu during a fade (lower half, title, 25 stars, the wipe, the pointer) beside
// one full-screen blit of the same format, measured in the same run.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/menu.h"
#include "bench/screen_reference.h"
#include "game/shared_state.h"
#include "res/error_report.h"

namespace {

void BM_MenuStepDuringFade(benchmark::State& state) {
    if (!OpenBenchScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    Menu* menu = CreateMenu();
    menu->decorationRandom.Seed(1);
    ScatterMenuStars(menu);
    // The game's own map when data/ has it; otherwise a scattered one, so the wipe still does real work.
    bool empty = std::all_of(menu->wipeMap, menu->wipeMap + kWipeMapSize, [](Uint8 t) { return t == 0; });
    for (size_t i = 0; empty && i < kWipeMapSize; ++i) {
        menu->wipeMap[i] = static_cast<Uint8>((i * 37) & 0xFF);
    }
    Shared.frameClock.deltaMs = 16;
    for (auto _ : state) {
        menuScreen = MenuScreen::FadeIn;
        menu->fadeLevel = 128;
        Shared.frameClock.totalMs += 16;
        benchmark::DoNotOptimize(MenuStep(menu));
    }
    ReleaseMenu(menu);
}
BENCHMARK(BM_MenuStepDuringFade)->Unit(benchmark::kMicrosecond);

// The same frame on the buttons screen with no fade, to tell the wipe's share from the rest.
void BM_MenuStepWithoutFade(benchmark::State& state) {
    if (!OpenBenchScreen()) {
        state.SkipWithError("no screen");
        return;
    }
    Menu* menu = CreateMenu();
    menu->decorationRandom.Seed(1);
    ScatterMenuStars(menu);
    Shared.frameClock.deltaMs = 16;
    for (auto _ : state) {
        menuScreen = MenuScreen::Main;
        Shared.frameClock.totalMs += 16;
        benchmark::DoNotOptimize(MenuStep(menu));
    }
    ReleaseMenu(menu);
}
BENCHMARK(BM_MenuStepWithoutFade)->Unit(benchmark::kMicrosecond);

}  // namespace
