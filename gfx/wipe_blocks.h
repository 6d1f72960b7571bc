// The block pass of the wipe, exposed inside gfx/ so that tests can hold its vector and plain forms
// against each other.
#pragma once

#include <SDL.h>

struct WipeArea {
    Uint8* pixels;
    int pitch;
    int bytesPerPixel;  // 1 to 4
    int width;          // pixels, at most 640
    int height;         // pixels, at most 480
};

// Sets to 0 every pixel of the area whose 2 by 2 block has a map byte at or above threshold. With
// useVector false the map is compared one byte at a time (the form used where SSE2 is missing).
void ClearWipeBlocks(const WipeArea& area, const Uint8* wipeMap, Uint8 threshold, bool useVector);
