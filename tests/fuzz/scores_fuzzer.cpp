// The scores file loaded from any bytes and drawn as the score screen, with any language texts, at any
// moment of the rows' sway, on a Screen of any depth and with a font image of any size.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "app/high_scores.h"
#include "fuzz_support.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        InitFont();
        return true;
    }();
    (void)ready;
    FuzzedDataProvider input(data, size);
    std::vector<uint8_t> file = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 400));
    DecodeHighScores(file.data(), file.size());
    Shared.frameClock.totalMs = input.ConsumeIntegral<int32_t>();
    for (auto& text : Shared.languageTexts) {
        CopyText(text, input.ConsumeRandomLengthString(300).c_str());
    }
    // One Screen per depth, kept between runs: making and clearing it would cost more than the drawing.
    static SDL_Surface* screens[kFuzzDepthCount] = {};
    const int depth = input.ConsumeIntegralInRange(0, kFuzzDepthCount - 1);
    if (screens[depth] == nullptr) {
        screens[depth] = MakeFuzzSurface(depth, kScreenWidth, kScreenHeight);
    }
    SDL_Surface* target = screens[depth];
    SDL_Surface* font =
        MakeFuzzSurface(input.ConsumeIntegral<uint8_t>(), input.ConsumeIntegralInRange(1, 700),
                        input.ConsumeIntegralInRange(1, 20));
    if (target != nullptr && font != nullptr) {
        SDL_SetColorKey(font, SDL_TRUE, 0);
        DrawHighScores(target, font);
    }
    SDL_FreeSurface(font);
    return 0;
}
