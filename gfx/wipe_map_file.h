// Reading the wipe map file into a caller's own copy of the map (the logo intro, the menu and the game
// each keep one).
#pragma once

#include <SDL.h>

inline constexpr const char kWipeMapFileName[] = "data/wipe0.raw";

// Reads up to kWipeMapSize raw bytes into map and zeroes whatever the file did not supply, so the map is
// always fully defined. Returns true only when the whole map came from the file.
bool ReadWipeMapFile(const char* path, Uint8* map);

// The one rule of the whole program for a missing or short map: every threshold the file did not give
// is 0, so the fades still run but all at once, and the line
// "wipe map <path> missing or short: fades are instant\n" goes to stderr. Returns ReadWipeMapFile's
// result.
bool LoadWipeMap(const char* path, Uint8* map);
