// The font library's start and stop (see font_library.h).
#include "platform/font_library.h"

#ifdef _WIN32

bool StartFontLibrary() {
    return true;
}

void StopFontLibrary() {}

#else
#include <SDL_ttf.h>

bool StartFontLibrary() {
    return TTF_Init() >= 0;
}

void StopFontLibrary() {
    TTF_Quit();
}

#endif
