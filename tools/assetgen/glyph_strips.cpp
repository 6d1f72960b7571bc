// Glyph and digit strips. Words come from DejaVu; the 8 by 7 digits are drawn pixel by pixel because
// no outline font stays readable at seven pixels.
#include "glyph_strips.h"

#include <cmath>
#include <string>
#include <vector>

#include "canvas.h"
#include "draw.h"
#include "palette.h"
#include "png_writer.h"
#include "text_art.h"

namespace {

// First and last rows holding ink, to place glyphs by their drawn height rather than the font box.
void InkRows(const TextMask& mask, int& top, int& bottom) {
    top = mask.height;
    bottom = -1;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (mask.At(x, y) > 0.3f) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
}

void InkColumns(const TextMask& mask, int& left, int& right) {
    left = mask.width;
    right = -1;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (mask.At(x, y) > 0.05f) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
}

// A glyph's mask, squeezed sideways when too wide for its cell (W, M), at the same height as its neighbours.
TextMask FittedGlyph(const std::string& glyph, const TextStyle& style, int size, int room) {
    TextMask mask = RenderText(glyph, style.face, size);
    int left = 0, right = 0;
    InkColumns(mask, left, right);
    if (right - left + 1 <= room) {
        return mask;
    }
    TextMask ink;
    ink.width = right - left + 1;
    ink.height = mask.height;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = left; x <= right; ++x) {
            ink.alpha.push_back(mask.At(x, y));
        }
    }
    return SqueezeWidth(ink, room);
}

// Draws each glyph (one UTF-8 character) centred in its cell; the capital/digit height sits `topPad`
// pixels below the cell's top. A capital with an accent would reach above the cell at that size: it is
// drawn a little smaller, on the same baseline, so its accent stays inside.
void DrawCells(Canvas& canvas, const std::vector<std::string>& glyphs, int cellW, const TextStyle& style,
               int topPad, const std::string& heightReference) {
    TextMask reference = RenderText(heightReference, style.face, style.size);
    int refTop = 0, refBottom = 0;
    InkRows(reference, refTop, refBottom);
    const int baseline = topPad + (refBottom - refTop);
    const int outline = int(std::ceil(style.outlineWidth));
    const int room = cellW - 2 - 2 * outline;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        TextMask mask;
        float y = 0;
        for (int size = style.size; size > style.size / 2; --size) {
            mask = FittedGlyph(glyphs[i], style, size, room);
            TextMask sizeReference = RenderText(heightReference, style.face, size);
            int top = 0, bottom = 0, sizeTop = 0, sizeBottom = 0;
            InkRows(mask, top, bottom);
            InkRows(sizeReference, sizeTop, sizeBottom);
            y = float(baseline - sizeBottom);
            if (y + float(top) >= 0) {
                break;
            }
        }
        int left = 0, right = 0;
        InkColumns(mask, left, right);
        float inkCentre = float(left + right + 1) / 2;
        float x = float(i) * float(cellW) + std::round(float(cellW) / 2 - inkCentre);
        DrawMask(canvas, mask, x, y, style);
    }
}

std::vector<std::string> Characters(const std::string& ascii) {
    std::vector<std::string> characters;
    for (char c : ascii) {
        characters.emplace_back(1, c);
    }
    return characters;
}

const char* const kSmallDigits[10][7] = {
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"####.", "....#", "....#", ".###.", "....#", "....#", "####."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
};

}  // namespace

void WriteGlyphStrips(AssetOutput& out) {
    // Font: warm white to gold, outlined, so the score table and the typed name read on any background.
    Canvas font(16 * kFontGlyphCount, 16);
    TextStyle fontStyle;
    fontStyle.face = FontFace::Bold;
    fontStyle.size = 15;
    fontStyle.fill = VerticalGradient(2, {255, 255, 235}, 14, {255, 186, 50});
    fontStyle.outline = kInk;
    fontStyle.outlineWidth = 1.2f;
    const std::vector<std::string> glyphs(std::begin(kFontGlyphs), std::end(kFontGlyphs));
    DrawCells(font, glyphs, 16, fontStyle, 2, "H");
    WritePng(out, "font.png", font, KeyMode::BlackIsTransparent);

    // The same glyphs lit: white to ice blue, for the score screen's new line and the player's result.
    Canvas lit(16 * kFontGlyphCount, 16);
    TextStyle litStyle = fontStyle;
    litStyle.fill = VerticalGradient(2, {255, 255, 255}, 14, {120, 230, 255});
    litStyle.outline = {4, 16, 48};
    DrawCells(lit, glyphs, 16, litStyle, 2, "H");
    WritePng(out, "fontlit.png", lit, KeyMode::BlackIsTransparent);

    // Large digits for the panel.
    Canvas numbers(200, 28);
    TextStyle numberStyle;
    numberStyle.face = FontFace::CondensedBold;
    numberStyle.size = 28;
    numberStyle.fill = VerticalGradient(4, {255, 255, 255}, 24, {110, 220, 255});
    numberStyle.outline = {6, 20, 40};
    numberStyle.outlineWidth = 1.5f;
    DrawCells(numbers, Characters("0123456789"), 20, numberStyle, 3, "0");
    WritePng(out, "numbers.png", numbers, KeyMode::BlackIsTransparent);

    // Small digits: five pixels wide with a one-pixel shadow to the right.
    Canvas small(80, 7);
    for (int d = 0; d < 10; ++d) {
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 5; ++x) {
                if (kSmallDigits[d][y][x] != '#') {
                    continue;
                }
                int px = d * 8 + 1 + x;
                small.Blend(px, y, Mix({255, 255, 210}, {255, 200, 80}, float(y) / 6.0f), 1);
                if (x == 4 || kSmallDigits[d][y][x + 1] != '#') {
                    if (small.At(px + 1, y).a == 0) {
                        small.Blend(px + 1, y, {30, 20, 10}, 1);
                    }
                }
            }
        }
    }
    WritePng(out, "smallnums.png", small, KeyMode::BlackIsTransparent);
}
