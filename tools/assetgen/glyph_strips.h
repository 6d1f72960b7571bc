// The bitmap font (40 glyphs of 16 by 16: A-Z, 0-9, . ! * -), the large digits (20 by 28) and the small
// digits (8 by 7), each a single row of cells on a transparent (pure black) background.
#pragma once

#include "output.h"

constexpr const char* kFontGlyphs = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.!*-";
constexpr int kFontGlyphCount = 40;

void WriteGlyphStrips(AssetOutput& out);
