// The wipe map read from a file of any length and contents, then drawn at any level on surfaces of every
// depth and of any size, the Screen's among them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "gfx/wipe.h"
#include "gfx/wipe_map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EnterFuzzScratchFolder();
    FuzzedDataProvider input(data, size);
    const int level = input.ConsumeIntegral<int>();
    const int depth = input.ConsumeIntegralInRange(0, kFuzzDepthCount - 1);
    const bool screenSized = input.ConsumeBool();
    const int width = screenSized ? 640 : input.ConsumeIntegralInRange(1, 700);
    const int height = screenSized ? 480 : input.ConsumeIntegralInRange(1, 520);
    std::vector<uint8_t> bytes = input.ConsumeRemainingBytes<uint8_t>();
    if (!WriteFuzzFile("wipe.raw", bytes.data(), bytes.size())) {
        return 0;
    }
    static Uint8 map[kWipeMapSize];
    // The reader's promise: a short file leaves zeros, never what the map held before.
    memset(map, 0xA5, sizeof map);
    bool whole = ReadWipeMapFile("wipe.raw", map);
    if (whole != (bytes.size() >= kWipeMapSize) ||
        (bytes.size() < kWipeMapSize && map[kWipeMapSize - 1] != 0)) {
        abort();
    }
    SDL_Surface* surface = MakeFuzzSurface(depth, width, height);
    if (surface != nullptr) {
        DrawWipe(surface, level, map);
        SDL_FreeSurface(surface);
    }
    return 0;
}
