// The language text file with any bytes: at most four texts, each within its 256-byte buffer and
// terminated, then drawn with the bitmap font as the score screen draws them. The file is read from
// memory through the same stream reader the game uses on the real file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/language.h"
#include "fuzz_support.h"
#include "gfx/font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SDL_Surface* target = nullptr;
    static SDL_Surface* font = nullptr;
    if (target == nullptr) {
        InitFont();
        target = MakeFuzzSurface(5, 640, 480);
        font = MakeFuzzSurface(5, 640, 16);
        SDL_SetColorKey(font, SDL_TRUE, 0);
    }
    if (size == 0) {
        return 0;
    }
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (file == nullptr) {
        return 0;
    }
    char texts[4][256];
    memset(texts, 0x55, sizeof texts);
    ReadLanguageTextsFrom(file, texts);
    fclose(file);
    for (const auto& text : texts) {
        if (memchr(text, '\0', sizeof text) == nullptr) {
            abort();
        }
    }
    DrawText(target, 46, 270, texts[1], font);
    DrawText(target, 128, 270, texts[2], font);
    DrawText(target, 534, 270, texts[3], font);
    DrawText(target, 0, 465, texts[0], font);
    return 0;
}
