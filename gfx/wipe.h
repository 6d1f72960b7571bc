// The wipe-map transition: a 640 by 480 picture is shown or hidden 2 by 2 block by block, each block
// appearing when the level passes its threshold byte in the map.
#pragma once

#include <SDL.h>

#include <cstddef>

inline constexpr size_t kWipeMapSize = 76800;  // 320 by 240 thresholds, one per 2 by 2 block

// level < 0 blackens the whole Surface first; 0..255 shows the blocks whose threshold is below the level;
// above 255 draws nothing.
void DrawWipe(SDL_Surface* surface, int level, const Uint8* wipeMap);
