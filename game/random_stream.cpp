// Seeds from the clock (see random_stream.h).
#include "game/random_stream.h"

#include <SDL.h>

#include <ctime>

uint32_t ClockSeed(uint32_t salt) {
    const auto seconds = static_cast<uint32_t>(time(nullptr));
    return seconds ^ (SDL_GetTicks() * 2654435761u) ^ (salt * 40503u);
}
