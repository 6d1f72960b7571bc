// Text and digits drawn one keyed cell copy per character (see font.h).
#include "gfx/font.h"

#include <array>
#include <cstdint>

namespace {

constexpr int kGlyphTableSize = 127;
constexpr int kNoGlyph = -1;

constexpr std::array<int8_t, kGlyphTableSize> BuildGlyphTable() {
    std::array<int8_t, kGlyphTableSize> table{};
    for (auto& entry : table) {
        entry = kNoGlyph;
    }
    for (int letter = 0; letter < 26; ++letter) {
        table['A' + letter] = static_cast<int8_t>(letter);
        table['a' + letter] = static_cast<int8_t>(letter);
    }
    for (int digit = 0; digit < 10; ++digit) {
        table['0' + digit] = static_cast<int8_t>(26 + digit);
    }
    table['.'] = 36;
    table['!'] = 37;
    table['*'] = 38;
    table['-'] = 39;
    return table;
}

// Built at compile time as well, so a lookup made before InitFont still sees the real table.
std::array<int8_t, kGlyphTableSize> glyphTable = BuildGlyphTable();

int GlyphOf(unsigned char character) {
    return character < kGlyphTableSize ? glyphTable[character] : kNoGlyph;
}

int DigitOf(unsigned char character) {
    return character >= '0' && character <= '9' ? character - '0' : kNoGlyph;
}

struct CellStrip {
    int width;
    int height;
    int advance;
};

// Copies the cell of each character that has one, left to right. SDL rectangles hold 16-bit positions,
// so a character whose position does not fit one is skipped instead of being wrapped back onto the
// picture; once x has passed the destination's clip rectangle nothing further can show.
template <typename CellIndexOf>
void DrawCells(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* image, CellStrip strip,
               CellIndexOf cellIndexOf) {
    if (destination == nullptr || text == nullptr || image == nullptr) {
        return;
    }
    if (y < INT16_MIN || y > INT16_MAX) {
        return;
    }
    const int clipRight = destination->clip_rect.x + destination->clip_rect.w;
    for (const char* cursor = text; *cursor != '\0'; ++cursor, x += strip.advance) {
        if (x >= clipRight || x > INT16_MAX) {
            return;
        }
        const int cell = cellIndexOf(static_cast<unsigned char>(*cursor));
        if (cell == kNoGlyph || x < INT16_MIN) {
            continue;
        }
        SDL_Rect source = {static_cast<Sint16>(strip.width * cell), 0, static_cast<Uint16>(strip.width),
                           static_cast<Uint16>(strip.height)};
        SDL_Rect target = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
        SDL_BlitSurface(image, &source, destination, &target);
    }
}

}  // namespace

void InitFont() {
    glyphTable = BuildGlyphTable();
}

bool IsFontChar(int character) {
    return character >= 0 && character < kGlyphTableSize && glyphTable[character] != kNoGlyph;
}

void DrawText(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* fontImage) {
    DrawCells(destination, x, y, text, fontImage, {16, 16, 12}, GlyphOf);
}

void DrawNumbers(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* digitsImage) {
    DrawCells(destination, x, y, text, digitsImage, {20, 28, 20}, DigitOf);
}

void DrawSmallNumbers(SDL_Surface* destination, int x, int y, const char* text,
                      SDL_Surface* smallDigitsImage) {
    DrawCells(destination, x, y, text, smallDigitsImage, {8, 7, 8}, DigitOf);
}
