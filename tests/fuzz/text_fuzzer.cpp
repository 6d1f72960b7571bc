// Text and digits drawn from any string at any position (the whole int range) onto surfaces of every
// depth and size, from font and digit images of any size, including images too small for their cells.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "gfx/font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        InitFont();
        return true;
    }();
    (void)ready;
    FuzzedDataProvider input(data, size);
    const int depth = input.ConsumeIntegralInRange(0, kFuzzDepthCount - 1);
    SDL_Surface* target =
        MakeFuzzSurface(depth, input.ConsumeIntegralInRange(1, 700), input.ConsumeIntegralInRange(1, 520));
    SDL_Surface* image =
        MakeFuzzSurface(depth, input.ConsumeIntegralInRange(1, 700), input.ConsumeIntegralInRange(1, 32));
    if (target != nullptr && image != nullptr) {
        SDL_SetColorKey(image, SDL_TRUE, 0);
        while (input.remaining_bytes() > 0) {
            const int kind = input.ConsumeIntegralInRange(0, 2);
            const bool extreme = input.ConsumeBool();
            const int x = extreme ? input.ConsumeIntegral<int>() : input.ConsumeIntegralInRange(-40, 680);
            const int y = extreme ? input.ConsumeIntegral<int>() : input.ConsumeIntegralInRange(-40, 520);
            const std::string text = input.ConsumeRandomLengthString(80);
            if (kind == 0) {
                DrawText(target, x, y, text.c_str(), image);
            } else if (kind == 1) {
                DrawNumbers(target, x, y, text.c_str(), image);
            } else {
                DrawSmallNumbers(target, x, y, text.c_str(), image);
            }
            IsFontChar(static_cast<signed char>(text.empty() ? 0 : text[0]));
        }
    }
    SDL_FreeSurface(image);
    SDL_FreeSurface(target);
    return 0;
}
