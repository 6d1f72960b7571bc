// Rectangle copies between Surfaces. Between 32-bit surfaces of the same format, drawn as they are (no
// alpha, no colour modulation), these are plain row loops (a keyed merge where the source has a colour
// key), with exactly the blit's clipping, and cheaper than SDL's general blitter. Any other pair goes
// through SDL_BlitSurface.
#pragma once

#include <SDL.h>

// Copies (sx, sy, w, h) of source to (dx, dy) of target, clipped to the source and to the target's clip
// rectangle. Returns the blit's result (0 when copied here; -2 when the library reports lost video
// memory). A null source or target copies nothing.
int CopyRect(SDL_Surface* source, int sx, int sy, int w, int h, SDL_Surface* target, int dx, int dy);

// Makes the image drawn at the given opacity (0 to 255) over what is behind it, its colour key still
// leaving the keyed pixels out.
void SetTranslucent(SDL_Surface* image, Uint8 alpha);
