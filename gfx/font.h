// Text and numbers drawn by copying fixed cells out of small images: the 40-glyph bitmap font (16 by 16
// cells, 12-pixel advance), the large digits (20 by 28) and the small digits (8 by 7).
#pragma once

#include <SDL.h>

// Fills the glyph table (letters case-blind, digits, ". ! * -"); call once before drawing text.
void InitFont();
// True when the character code (0 to 126) has a glyph.
bool IsFontChar(int character);

void DrawText(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* fontImage);
void DrawNumbers(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* digitsImage);
void DrawSmallNumbers(SDL_Surface* destination, int x, int y, const char* text,
                      SDL_Surface* smallDigitsImage);
