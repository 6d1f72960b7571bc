// Words for the pictures: DejaVu rendered by SDL_ttf into a coverage mask, then painted on a Canvas
// with a fill, an outline and a shadow, the arcade-title way.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"
#include "draw.h"

struct TextMask {
    int width = 0, height = 0;
    std::vector<float> alpha;  // 0..1, row after row
    float At(int x, int y) const {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0
                                                             : alpha[size_t(y) * size_t(width) + size_t(x)];
    }
};

enum class FontFace { Bold, Book, CondensedBold, MonoBold };

// Opens the DejaVu files once; false (with a message) when the font folder lacks them.
bool OpenFonts(const std::string& fontDir);
void CloseFonts();
// Renders UTF-8 text at the pixel size; an empty mask when fonts are not open.
TextMask RenderText(const std::string& text, FontFace face, int size);
// The same mask, grown by `radius` pixels (for outlines).
TextMask Grow(const TextMask& mask, float radius);
// The mask softened by a box blur of `radius` pixels; it grows by `radius` on each side.
TextMask Blur(const TextMask& mask, int radius);

struct TextStyle {
    FontFace face = FontFace::Bold;
    int size = 24;
    PaintFn fill = Solid({255, 255, 255});  // in canvas coordinates
    Colour outline = {10, 10, 16};
    float outlineWidth = 0;  // 0: none
    Colour shadow = {0, 0, 0};
    int shadowOffset = 0;  // 0: none
    float glowRadius = 0;  // 0: none
    Colour glow = {255, 255, 255};
};

// Draws text with its top-left corner at (x, y); returns the mask's size as {width, height}.
Point DrawWords(Canvas& canvas, const std::string& text, float x, float y, const TextStyle& style);
// The same with an already rendered mask.
Point DrawMask(Canvas& canvas, const TextMask& mask, float x, float y, const TextStyle& style);
// The mask scaled horizontally to `width` pixels.
TextMask SqueezeWidth(const TextMask& mask, int width);
// Draws text centred on (cx, cy).
void DrawWordsCentred(Canvas& canvas, const std::string& text, float cx, float cy, const TextStyle& style);
// Largest size not above `size` at which the text fits in `maxWidth` pixels.
int FitSize(const std::string& text, FontFace face, int size, int maxWidth);
