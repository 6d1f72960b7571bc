// A game's full resource load (30 images decoded and converted, the wipe map, the music and nine sound
// effects) against reading the very same files with fread alone: what decoding and conversion cost.
// Run from the build folder, where data/ is.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "game/game_resources.h"
#include "game/shared_state.h"
#include "platform/audio_layer.h"
#include "platform/presentation.h"

namespace {

std::vector<std::string> ResourceFiles() {
    std::string language = Shared.languageCode;
    std::vector<std::string> files = {"data/mouse.png", "data/theme1/back.png",
                                      "data/" + language + "/right.png"};
    for (const char* name : {"r", "g", "b", "sr", "sg", "sb"}) {
        files.push_back(std::string("data/theme1/") + name + ".png");
    }
    for (const char* name : {"r", "g", "b", "sr", "sg", "sb"}) {
        files.push_back(std::string("data/bonus/") + name + ".png");
    }
    for (const char* name : {"numbers", "smallnums", "font"}) {
        files.push_back(std::string("data/") + name + ".png");
    }
    for (const char* name : {"gameover", "hiscore", "perfect", "loselevel", "wonlevel", "wongame",
                             "bonus1000", "bonus500", "bonus2x", "bonusAddLine", "bonuslife", "5000"}) {
        files.push_back("data/" + language + "/" + name + ".png");
    }
    files.push_back("data/wipe0.raw");
    files.push_back("data/sound/1.zik");
    for (const char* name :
         {"bip", "2x", "addline", "gameover", "lost", "perfect", "points", "time", "life"}) {
        files.push_back(std::string("data/sound/") + name + ".wav");
    }
    return files;
}

bool StartLibraries() {
    static bool started = false;
    if (!started) {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            return false;
        }
        Shared.screen = OpenPresentation("bench", false);
        SDLMikMod_Init(44100, 4096, 4, 3);
        started = Shared.screen != nullptr;
    }
    return started;
}

bool DataPresent() {
    for (const std::string& file : ResourceFiles()) {
        FILE* probe = fopen(file.c_str(), "rb");
        if (probe == nullptr) {
            return false;
        }
        fclose(probe);
    }
    return true;
}

void BM_FullLoadResources(benchmark::State& state) {
    if (!StartLibraries() || !DataPresent()) {
        state.SkipWithError("needs the generated data/ in the working directory");
        return;
    }
    auto resources = std::make_unique<GameResources>();
    for (auto _ : state) {
        // As the play session does between levels.
        resources->FreeImages();
        resources->music.Stop();
        resources->LoadResources(false);
    }
    resources->FreeImages();
    resources->music.Release();
}
BENCHMARK(BM_FullLoadResources)->Unit(benchmark::kMillisecond);

// The images alone (the load after a lost video memory), to show where a full load spends its time.
void BM_ImagesOnlyLoad(benchmark::State& state) {
    if (!StartLibraries() || !DataPresent()) {
        state.SkipWithError("needs the generated data/ in the working directory");
        return;
    }
    auto resources = std::make_unique<GameResources>();
    for (auto _ : state) {
        resources->LoadResources(true);
    }
    resources->FreeImages();
}
BENCHMARK(BM_ImagesOnlyLoad)->Unit(benchmark::kMillisecond);

void BM_FreadSameFiles(benchmark::State& state) {
    if (!DataPresent()) {
        state.SkipWithError("needs the generated data/ in the working directory");
        return;
    }
    std::vector<std::string> files = ResourceFiles();
    size_t total = 0;
    for (auto _ : state) {
        total = 0;
        for (const std::string& name : files) {
            FILE* file = fopen(name.c_str(), "rb");
            fseek(file, 0, SEEK_END);
            long size = ftell(file);
            fseek(file, 0, SEEK_SET);
            std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(size) + 1]);
            total += fread(bytes.get(), 1, static_cast<size_t>(size), file);
            fclose(file);
            benchmark::DoNotOptimize(bytes.get());
        }
    }
    state.counters["bytes"] = static_cast<double>(total);
}
BENCHMARK(BM_FreadSameFiles)->Unit(benchmark::kMillisecond);

}  // namespace
