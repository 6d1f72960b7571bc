// Translucent triangles written straight into a Surface's pixels (opaque on every other row at 8 bits),
// and five-pointed stars made of them.
#pragma once

#include <SDL.h>

void DrawTriangle(SDL_Surface* surface, int x1, int y1, int x2, int y2, int x3, int y3, Uint32 colour);
void DrawStar(SDL_Surface* surface, int cx, int cy, int radius, int angle, Uint32 colour);
