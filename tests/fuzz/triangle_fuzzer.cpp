// Triangles and stars with any vertices, centres, radii and angles, the extremes of int included, on the
// 640 by 480 surfaces of every depth the filler supports.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz_support.h"
#include "gfx/triangle.h"

namespace {

int Coordinate(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return input.ConsumeIntegralInRange(-50, 700);
        case 1:
            return input.ConsumeIntegralInRange(-100000, 100000);
        default:
            return input.ConsumeIntegral<int>();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SDL_Surface* surfaces[kFuzzDepthCount] = {};
    if (surfaces[0] == nullptr) {
        for (int depth = 0; depth < kFuzzDepthCount; ++depth) {
            surfaces[depth] = MakeFuzzSurface(depth, 640, 480);
        }
    }
    FuzzedDataProvider input(data, size);
    while (input.remaining_bytes() > 0) {
        SDL_Surface* surface = surfaces[input.ConsumeIntegralInRange(0, kFuzzDepthCount - 1)];
        const Uint32 colour = input.ConsumeIntegral<Uint32>();
        if (input.ConsumeBool()) {
            int v[6];
            for (int& value : v) {
                value = Coordinate(input);
            }
            DrawTriangle(surface, v[0], v[1], v[2], v[3], v[4], v[5], colour);
        } else {
            const int cx = Coordinate(input);
            const int cy = Coordinate(input);
            const int radius = Coordinate(input);
            DrawStar(surface, cx, cy, radius, input.ConsumeIntegral<int>(), colour);
        }
    }
    return 0;
}
