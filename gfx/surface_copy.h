// Rectangle copies between Surfaces. Under the 1.2 API on SDL2 every blit takes a slow general path;
// between 32-bit software surfaces of the same format these are plain row loops (a keyed merge where the
// source has a colour key), with exactly the blit's clipping. Any other pair goes through SDL_BlitSurface.
#pragma once

#include <SDL.h>

// Copies (sx, sy, w, h) of source to (dx, dy) of target, clipped to the source and to the target's clip
// rectangle. Returns the blit's result (0 when copied here; -2 when the library reports lost video
// memory). A null source or target copies nothing.
int CopyRect(SDL_Surface* source, int sx, int sy, int w, int h, SDL_Surface* target, int dx, int dy);
