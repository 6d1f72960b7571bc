// Glyph and digit strips. Words come from DejaVu; the 8 by 7 digits are drawn pixel by pixel because
// no outline font stays readable at seven pixels.
#include "glyph_strips.h"

#include <cmath>
#include <string>

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

// Draws each character of `glyphs` centred in its cell; the baseline is set so that the capital/digit
// height sits `topPad` pixels below the cell's top.
void DrawCells(Canvas& canvas, const std::string& glyphs, int cellW, const TextStyle& style, int topPad,
               const std::string& heightReference) {
    TextMask reference = RenderText(heightReference, style.face, style.size);
    int refTop = 0, refBottom = 0;
    InkRows(reference, refTop, refBottom);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        std::string glyph(1, glyphs[i]);
        TextMask mask = RenderText(glyph, style.face, style.size);
        int left = 0, right = 0;
        InkColumns(mask, left, right);
        const int outline = int(std::ceil(style.outlineWidth));
        const int room = cellW - 2 - 2 * outline;
        if (right - left + 1 > room) {
            // Too wide for its cell (W, M): squeezed to fit, at the same height as its neighbours.
            TextMask ink;
            ink.width = right - left + 1;
            ink.height = mask.height;
            for (int y = 0; y < mask.height; ++y) {
                for (int x = left; x <= right; ++x) {
                    ink.alpha.push_back(mask.At(x, y));
                }
            }
            mask = SqueezeWidth(ink, room);
            InkColumns(mask, left, right);
        }
        float inkCentre = float(left + right + 1) / 2;
        float x = float(i) * float(cellW) + std::round(float(cellW) / 2 - inkCentre);
        float y = float(topPad - refTop);
        DrawMask(canvas, mask, x, y, style);
    }
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
    DrawCells(font, kFontGlyphs, 16, fontStyle, 2, "H");
    WritePng(out, "font.png", font, KeyMode::BlackIsTransparent);

    // Large digits for the panel.
    Canvas numbers(200, 28);
    TextStyle numberStyle;
    numberStyle.face = FontFace::CondensedBold;
    numberStyle.size = 28;
    numberStyle.fill = VerticalGradient(4, {255, 255, 255}, 24, {110, 220, 255});
    numberStyle.outline = {6, 20, 40};
    numberStyle.outlineWidth = 1.5f;
    DrawCells(numbers, "0123456789", 20, numberStyle, 3, "0");
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
