// Text and digits drawn one keyed cell copy per character (see font.h).
#include "gfx/font.h"

#include <array>
#include <cstdint>

namespace {

// Indexed by code point: ASCII and the Latin-1 letters the strip has (texts are UTF-8).
constexpr int kGlyphTableSize = 256;
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
    constexpr char kSigns[] = ".!*-,:'()/";
    for (int i = 0; kSigns[i] != '\0'; ++i) {
        table[static_cast<unsigned char>(kSigns[i])] = static_cast<int8_t>(36 + i);
    }
    // É È À Ç, and their small letters drawn as the same capitals.
    constexpr int kAccented[] = {0xC9, 0xC8, 0xC0, 0xC7};
    for (int i = 0; i < 4; ++i) {
        table[kAccented[i]] = static_cast<int8_t>(46 + i);
        table[kAccented[i] + 0x20] = static_cast<int8_t>(46 + i);
    }
    return table;
}

// Built at compile time as well, so a lookup made before InitFont still sees the real table.
std::array<int8_t, kGlyphTableSize> glyphTable = BuildGlyphTable();

int GlyphOfCodePoint(int codePoint) {
    return codePoint >= 0 && codePoint < kGlyphTableSize ? glyphTable[codePoint] : kNoGlyph;
}

int DigitOf(int character) {
    return character >= '0' && character <= '9' ? character - '0' : kNoGlyph;
}

// The next character of a text and its byte length: a two-byte UTF-8 sequence is one character (one
// cell); every other byte, a stray or a longer sequence's, is a cell of its own.
int NextCharacter(const char* text, int* length) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const auto next = static_cast<unsigned char>(text[1]);
    if (lead >= 0xC2 && lead <= 0xDF && next >= 0x80 && next <= 0xBF) {
        *length = 2;
        return (lead & 0x1F) << 6 | (next & 0x3F);
    }
    *length = 1;
    return lead < 0x80 ? lead : -1;
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
    int length = 1;
    for (const char* cursor = text; *cursor != '\0'; cursor += length, x += strip.advance) {
        if (x >= clipRight || x > INT16_MAX) {
            return;
        }
        const int cell = cellIndexOf(NextCharacter(cursor, &length));
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
    return GlyphOfCodePoint(character) != kNoGlyph;
}

int TextCells(const char* text) {
    int cells = 0;
    int length = 1;
    for (const char* cursor = text; cursor != nullptr && *cursor != '\0'; cursor += length) {
        NextCharacter(cursor, &length);
        ++cells;
    }
    return cells;
}

void DrawText(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* fontImage) {
    DrawCells(destination, x, y, text, fontImage, {16, 16, 12}, GlyphOfCodePoint);
}

void DrawNumbers(SDL_Surface* destination, int x, int y, const char* text, SDL_Surface* digitsImage) {
    DrawCells(destination, x, y, text, digitsImage, {20, 28, 20}, DigitOf);
}

void DrawSmallNumbers(SDL_Surface* destination, int x, int y, const char* text,
                      SDL_Surface* smallDigitsImage) {
    DrawCells(destination, x, y, text, smallDigitsImage, {8, 7, 8}, DigitOf);
}
