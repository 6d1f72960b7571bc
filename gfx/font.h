// Text and numbers drawn by copying fixed cells out of small images: the 50-glyph bitmap font (16 by 16
// cells, 12-pixel advance), the large digits (20 by 28) and the small digits (8 by 7). Texts are UTF-8;
// each character takes one cell, drawn or left empty.
#pragma once

#include <SDL.h>

// Fills the glyph table (letters case-blind, digits, ". ! * - , : ' ( ) /", and É È À Ç, also for their
// small letters); call once before drawing text.
void InitFont();
// True when the character (a Unicode code point) has a glyph.
bool IsFontChar(int character);
// How many cells DrawText gives the text: one per character.
int TextCells(const char* text);

void DrawText(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* fontImage);
void DrawNumbers(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* digitsImage);
void DrawSmallNumbers(SDL_Surface* destination, int x, int y, const char* text,
                      SDL_Surface* smallDigitsImage);
