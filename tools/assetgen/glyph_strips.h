// The bitmap font (50 glyphs of 16 by 16: A-Z, 0-9, . ! * - , : ' ( ) / and the capitals É È À Ç that
// French needs), in two colours (font.png, and fontlit.png for what the score screen lights), the large
// digits (20 by 28) and the small digits (8 by 7), each a single row of cells on a transparent (pure black)
// background. The game's glyph table (gfx/font.cpp) lists the cells in this order.
#pragma once

#include "output.h"

// One UTF-8 character a cell.
inline constexpr const char* kFontGlyphs[] = {
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q",
    "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "0", "1", "2", "3", "4", "5", "6", "7",
    "8", "9", ".", "!", "*", "-", ",", ":", "'", "(", ")", "/", "É", "È", "À", "Ç",
};
inline constexpr int kFontGlyphCount = sizeof kFontGlyphs / sizeof kFontGlyphs[0];

void WriteGlyphStrips(AssetOutput& out);
