// Board background: a dark field of recessed cells on the board's 32-pixel grid, lit softly from the
// centre, so emptied cells read as slots. Pointer: an arrow with its tip at the top-left pixel, where
// the game places the mouse position.
#include "board_art.h"

#include <cmath>

#include "draw.h"
#include "palette.h"
#include "png_writer.h"

void WriteBoardArt(AssetOutput& out) {
    Canvas back(480, 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 480; ++x) {
            float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            float dist = std::hypot(fx - 240, fy - 220) / 340.0f;
            float light = 1.0f - 0.55f * dist * dist;
            Colour c =
                Scale(Mix({16, 18, 44}, {30, 26, 70}, 0.5f + 0.5f * std::sin(fy / 480.0f * 3.0f)), light);
            // Each cell: a slightly darker, rounded slot with a faint light rim at its top-left.
            float cx = std::floor(fx / 32) * 32 + 16, cy = std::floor(fy / 32) * 32 + 16;
            float d = SdRoundBox(fx, fy, cx, cy, 14.0f, 14.0f, 5.0f);
            if (d < 0) {
                c = Scale(c, 0.72f);
            } else if (d < 1.5f) {
                bool lit = (fx - cx) + (fy - cy) < 0;
                c = lit ? Add(c, {14, 16, 34}) : Scale(c, 0.85f);
            }
            float grain = ValueNoise(fx / 9, fy / 9, 7) * 0.5f + ValueNoise(fx / 3, fy / 3, 8) * 0.5f;
            c = Add(c, Scale({6, 6, 12}, grain));
            back.Blend(x, y, c, 1);
        }
    }
    WritePng(out, "theme1/back.png", back, KeyMode::Opaque);

    Canvas mouse(32, 32);
    const std::vector<Point> arrow = {{1, 1},      {1, 23},        {6.5f, 18}, {11, 27.5f},
                                      {15, 25.5f}, {10.5f, 16.5f}, {18, 16.5f}};
    FillShape(
        mouse, [&](float x, float y) { return SdPolygon(x, y, arrow) - 1.3f; }, Solid(kInk));
    FillShape(
        mouse, [&](float x, float y) { return SdPolygon(x, y, arrow) + 0.2f; },
        VerticalGradient(1, {255, 255, 255}, 27, {120, 220, 255}));
    WritePng(out, "mouse.png", mouse, KeyMode::BlackIsTransparent);
}
