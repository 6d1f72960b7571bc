// Block art. Each colour also has its own symbol (circle, triangle, diamond), so the colours can be told
// apart without colour vision; bonus blocks carry a gold rim and the symbol of their bonus. Each strip is
// a loop: a glint crosses the tile in the first frames and a gentle pulse runs over all twenty.
#include "blocks.h"

#include <cmath>
#include <string>

#include "draw.h"
#include "palette.h"
#include "png_writer.h"
#include "text_art.h"

namespace {

constexpr float kPi = 3.14159265f;

std::vector<Point> SymbolPolygon(int colour, float cx, float cy, float s) {
    if (colour == 2) {  // triangle, point up
        return {{cx, cy - s * 1.05f}, {cx + s * 1.0f, cy + s * 0.75f}, {cx - s * 1.0f, cy + s * 0.75f}};
    }
    return {{cx, cy - s * 1.1f}, {cx + s * 0.95f, cy}, {cx, cy + s * 1.1f}, {cx - s * 0.95f, cy}};  // diamond
}

float SymbolDistance(int colour, float x, float y, float cx, float cy, float s) {
    if (colour == 1) {
        return SdCircle(x, y, cx, cy, s * 0.85f);
    }
    return SdPolygon(x, y, SymbolPolygon(colour, cx, cy, s));
}

// The add-line symbol: a down arrow over two bars.
float AddLineDistance(float x, float y, float cx, float cy, float s) {
    float bar1 = SdRoundBox(x, y, cx, cy + s * 0.55f, s * 0.95f, s * 0.16f, 1);
    float bar2 = SdRoundBox(x, y, cx, cy + s * 1.0f, s * 0.95f, s * 0.16f, 1);
    float stem = SdRoundBox(x, y, cx, cy - s * 0.75f, s * 0.2f, s * 0.4f, 0.5f);
    float head = SdPolygon(
        x, y, {{cx - s * 0.65f, cy - s * 0.4f}, {cx + s * 0.65f, cy - s * 0.4f}, {cx, cy + s * 0.25f}});
    return std::min(std::min(bar1, bar2), std::min(stem, head));
}

float StarDistance(float x, float y, float cx, float cy, float s, float angle) {
    std::vector<Point> points;
    for (int i = 0; i < 10; ++i) {
        float r = (i % 2 == 0) ? s : s * 0.45f;
        float a = angle + float(i) * kPi / 5 - kPi / 2;
        points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return SdPolygon(x, y, points);
}

const TextMask& TimesTwoMask() {
    static TextMask mask = RenderText("x2", FontFace::Bold, 15);
    return mask;
}

}  // namespace

void PaintBlock(Canvas& canvas, int x0, int y0, int colour, int bonusKind, int frame, bool lit) {
    BlockColours pal = BlockPalette(colour);
    if (lit) {
        pal.light = Mix(pal.light, kWhite, 0.5f);
        pal.base = Mix(pal.base, kWhite, 0.42f);
        pal.dark = Mix(pal.dark, pal.base, 0.45f);
    }
    const float t = float(frame) / float(kFrames);
    const float pulse = 0.5f + 0.5f * std::sin(2 * kPi * t);
    const float cx = float(x0) + 16, cy = float(y0) + 16;
    const int bx0 = x0, by0 = y0, bx1 = x0 + kCell, by1 = y0 + kCell;
    auto tile = [&](float x, float y) { return SdRoundBox(x, y, cx, cy, 15.0f, 15.0f, 6.0f); };
    auto inner = [&](float x, float y) { return SdRoundBox(x, y, cx, cy, 13.0f, 13.0f, 5.0f); };

    // Rim, then the body: light from the top left.
    Colour rim = bonusKind != 0 ? (lit ? Mix(kGold, kWhite, 0.5f) : kGold) : (lit ? kWhite : pal.dark);
    FillShape(canvas, bx0, by0, bx1, by1, tile,
              Solid(lit && bonusKind == 0 ? Mix(pal.light, kWhite, 0.4f) : rim));
    FillShape(canvas, bx0, by0, bx1, by1, inner, [&](float x, float y) {
        float u = Clamp01(((x - float(x0)) + (y - float(y0))) / 64.0f);
        Colour c = u < 0.5f ? Mix(pal.light, pal.base, u * 2) : Mix(pal.base, pal.dark, (u - 0.5f) * 2);
        return c;
    });
    // Gloss on the upper half.
    FillShape(
        canvas, bx0, by0, bx1, by1,
        [&](float x, float y) {
            return std::max(inner(x, y) + 1.5f, SdCircle(x, y, cx - 4, cy - 22, 20.0f));
        },
        Solid(kWhite), lit ? 0.30f : 0.18f);
    // A darker bevel along the lower right inside edge.
    FillShape(
        canvas, bx0, by0, bx1, by1,
        [&](float x, float y) {
            float ring = std::fabs(inner(x, y) + 1.0f) - 1.0f;
            return std::max(ring, (float(x0) + float(y0) + 30) - (x + y));
        },
        Solid(pal.dark), 0.6f);

    // The symbol, embossed: a dark drop shadow, then the face.
    const float s = 7.0f + (bonusKind == 0 ? 0.6f * pulse : 0.9f * pulse);
    Colour face = lit ? kWhite : Mix(pal.light, kWhite, 0.25f + 0.35f * pulse);
    if (bonusKind == 0) {
        FillShape(
            canvas, bx0, by0, bx1, by1,
            [&](float x, float y) { return SymbolDistance(colour, x - 1.2f, y - 1.4f, cx, cy, s); },
            Solid(pal.dark), 0.85f);
        FillShape(
            canvas, bx0, by0, bx1, by1,
            [&](float x, float y) { return SymbolDistance(colour, x, y, cx, cy, s); }, Solid(face));
    } else if (bonusKind == 17) {
        const TextMask& m = TimesTwoMask();
        float grow = 1.0f + 0.08f * pulse;
        for (int pass = 0; pass < 2; ++pass) {
            float off = pass == 0 ? 1.3f : 0.0f;
            Colour c = pass == 0 ? kInk : (lit ? kWhite : Mix(kGold, kWhite, 0.3f + 0.4f * pulse));
            for (int y = by0; y < by1; ++y) {
                for (int x = bx0; x < bx1; ++x) {
                    // Sample the mask scaled about its centre (nearest coverage with a soft edge).
                    float mx = (float(x) + 0.5f - off - cx) / grow + float(m.width) / 2;
                    float my = (float(y) + 0.5f - off - cy) / grow + float(m.height) / 2;
                    int ix = int(std::floor(mx - 0.5f)), iy = int(std::floor(my - 0.5f));
                    float fx = mx - 0.5f - float(ix), fy = my - 0.5f - float(iy);
                    float a = m.At(ix, iy) * (1 - fx) * (1 - fy) + m.At(ix + 1, iy) * fx * (1 - fy) +
                              m.At(ix, iy + 1) * (1 - fx) * fy + m.At(ix + 1, iy + 1) * fx * fy;
                    if (pass == 0) {
                        a = std::min(1.0f, a * 1.6f);
                    }
                    canvas.Blend(x, y, c, a);
                }
            }
        }
    } else {
        auto symbol = [&](float x, float y) {
            return bonusKind == 18 ? AddLineDistance(x, y, cx, cy - 1, s * 0.95f)
                                   : StarDistance(x, y, cx, cy + 0.5f, s * 1.2f, 0.0f);
        };
        FillShape(
            canvas, bx0, by0, bx1, by1, [&](float x, float y) { return symbol(x, y) - 1.2f; }, Solid(kInk),
            0.9f);
        Colour symbolFace = lit ? kWhite : Mix(kGold, kWhite, 0.2f + 0.4f * pulse);
        FillShape(canvas, bx0, by0, bx1, by1, symbol, Solid(symbolFace));
    }

    // The glint: a soft diagonal band crossing the tile during the first twelve frames of the loop; it
    // starts and ends outside the tile, so the loop has no seam.
    const int glintFrames = 12;
    if (frame < glintFrames) {
        float pos = -4.0f + float(frame) / float(glintFrames - 1) * 70.0f;  // along x + y, in cell pixels
        for (int y = by0; y < by1; ++y) {
            for (int x = bx0; x < bx1; ++x) {
                float d = float(x - x0) + float(y - y0) + 1 - pos;
                float band = std::exp(-d * d / 30.0f);
                float insideTile = Clamp01(0.5f - inner(float(x) + 0.5f, float(y) + 0.5f));
                canvas.AddLight(x, y, kWhite, band * insideTile * (lit ? 0.55f : 0.4f));
            }
        }
    }
    // Bonus rims shimmer: a spark runs round the gold edge over the whole loop.
    if (bonusKind != 0) {
        float a = 2 * kPi * t;
        float sx = cx + 14.5f * std::cos(a), sy = cy + 14.5f * std::sin(a);
        sx = std::fmax(float(x0) + 1.5f, std::fmin(float(x0) + 30.5f, sx));
        sy = std::fmax(float(y0) + 1.5f, std::fmin(float(y0) + 30.5f, sy));
        for (int y = by0; y < by1; ++y) {
            for (int x = bx0; x < bx1; ++x) {
                float d = std::hypot(float(x) + 0.5f - sx, float(y) + 0.5f - sy);
                float onTile = Clamp01(0.5f - tile(float(x) + 0.5f, float(y) + 0.5f));
                canvas.AddLight(x, y, kWhite, std::exp(-d * d / 10.0f) * onTile * 0.9f);
            }
        }
    }
}

void WriteBlockStrips(AssetOutput& out) {
    const char* names[] = {"r", "g", "b"};
    for (int colour = 1; colour <= 3; ++colour) {
        for (int kind = 0; kind < 2; ++kind) {
            for (int lit = 0; lit < 2; ++lit) {
                Canvas strip(kCell * kFrames, kCell);
                for (int frame = 0; frame < kFrames; ++frame) {
                    PaintBlock(strip, frame * kCell, 0, colour, kind == 0 ? 0 : 16 + colour, frame, lit != 0);
                }
                std::string path = std::string(kind == 0 ? "theme1/" : "bonus/") + (lit ? "s" : "") +
                                   names[colour - 1] + ".png";
                WritePng(out, path, strip, KeyMode::BlackIsTransparent);
            }
        }
    }
}
