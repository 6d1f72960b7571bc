// Window icon, written as a 24-bit BMP so that SDL loads it without an image library. Pure black is the
// transparent background; the blocks use no pure black.
#include "icon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "draw.h"
#include "palette.h"
#include "png_writer.h"

namespace {

constexpr int kSize = 32;

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

struct Rgb8 {
    uint8_t r, g, b;
};

// One bevelled block of the icon: lighter top-left edge, darker bottom-right edge.
Rgb8 BlockPixel(Rgb8 base, int x, int y, int size) {
    auto shade = [](uint8_t c, int delta) {
        int v = c + delta;
        return static_cast<uint8_t>(v < 8 ? 8 : (v > 255 ? 255 : v));
    };
    int delta = 0;
    if (x < 2 || y < 2) {
        delta = 70;
    } else if (x >= size - 2 || y >= size - 2) {
        delta = -70;
    }
    return {shade(base.r, delta), shade(base.g, delta), shade(base.b, delta)};
}

}  // namespace

void WriteIcon(AssetOutput& out) {
    std::vector<Rgb8> pixels(kSize * kSize, Rgb8{0, 0, 0});
    struct Block {
        int x, y;
        Rgb8 colour;
    };
    const Block blocks[] = {{1, 1, {220, 50, 60}}, {17, 1, {60, 200, 80}}, {9, 17, {70, 110, 230}}};
    for (const Block& block : blocks) {
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                pixels[(block.y + y) * kSize + block.x + x] = BlockPixel(block.colour, x, y, 14);
            }
        }
    }
    std::vector<uint8_t> bmp;
    const uint32_t rowBytes = kSize * 3;
    const uint32_t dataSize = rowBytes * kSize;
    bmp.push_back('B');
    bmp.push_back('M');
    PutLittleEndian(bmp, 54 + dataSize, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 54, 4);
    PutLittleEndian(bmp, 40, 4);
    PutLittleEndian(bmp, kSize, 4);
    PutLittleEndian(bmp, kSize, 4);
    PutLittleEndian(bmp, 1, 2);
    PutLittleEndian(bmp, 24, 2);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, dataSize, 4);
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 0, 4);
    for (int y = kSize - 1; y >= 0; --y) {  // BMP rows go bottom-up
        for (int x = 0; x < kSize; ++x) {
            const Rgb8& p = pixels[y * kSize + x];
            bmp.push_back(p.b);
            bmp.push_back(p.g);
            bmp.push_back(p.r);
        }
    }
    out.Write("icon.bmp", bmp);
}

namespace {

// The colour's symbol on the board (circle, diamond, triangle), so the icon reads without colour vision.
float IconSymbol(int colour, float x, float y, float cx, float cy, float s) {
    if (colour == 1) {
        return SdCircle(x, y, cx, cy, s * 0.85f);
    }
    if (colour == 2) {
        return SdPolygon(
            x, y, {{cx, cy - s * 1.1f}, {cx + s * 0.95f, cy}, {cx, cy + s * 1.1f}, {cx - s * 0.95f, cy}});
    }
    return SdPolygon(
        x, y, {{cx, cy - s * 1.05f}, {cx + s * 1.0f, cy + s * 0.75f}, {cx - s * 1.0f, cy + s * 0.75f}});
}

void PaintIconBlock(Canvas& canvas, int colour, float cx, float cy, float half) {
    const BlockColours pal = BlockPalette(colour);
    const float radius = half * 0.38f;
    const int x0 = std::max(0, int(std::floor(cx - half - 2))),
              y0 = std::max(0, int(std::floor(cy - half - 2)));
    const int x1 = std::min(canvas.Width(), int(std::ceil(cx + half + 2)));
    const int y1 = std::min(canvas.Height(), int(std::ceil(cy + half + 2)));
    const float rim = std::max(1.0f, half * 0.12f);
    auto tile = [&](float x, float y) { return SdRoundBox(x, y, cx, cy, half, half, radius); };
    auto inner = [&](float x, float y) {
        return SdRoundBox(x, y, cx, cy, half - rim, half - rim, radius * 0.8f);
    };
    FillShape(canvas, x0, y0, x1, y1, tile, Solid(pal.dark));
    FillShape(canvas, x0, y0, x1, y1, inner, [&](float x, float y) {
        float u = Clamp01(((x - cx) + (y - cy)) / (4 * half) + 0.5f);
        return u < 0.5f ? Mix(pal.light, pal.base, u * 2) : Mix(pal.base, pal.dark, (u - 0.5f) * 2);
    });
    // Gloss on the upper half.
    FillShape(
        canvas, x0, y0, x1, y1,
        [&](float x, float y) {
            return std::max(inner(x, y) + rim,
                            SdCircle(x, y, cx - half * 0.25f, cy - half * 1.4f, half * 1.25f));
        },
        Solid(kWhite), 0.2f);
    if (half >= 6) {  // below that the symbol would be a blur
        const float s = half * 0.45f;
        const float shadow = std::max(0.6f, half * 0.08f);
        FillShape(
            canvas, x0, y0, x1, y1,
            [&](float x, float y) { return IconSymbol(colour, x - shadow, y - shadow, cx, cy, s); },
            Solid(pal.dark), 0.85f);
        FillShape(
            canvas, x0, y0, x1, y1, [&](float x, float y) { return IconSymbol(colour, x, y, cx, cy, s); },
            Solid(Mix(pal.light, kWhite, 0.4f)));
    }
}

}  // namespace

Canvas PaintAppIcon(int size) {
    Canvas canvas(size, size);
    // Two blocks on top, one below between them, as the pieces of a board: the layout of the window icon.
    const float unit = float(size) / 32.0f;
    const float half = 7.2f * unit;
    PaintIconBlock(canvas, 1, 8.5f * unit, 8.5f * unit, half);
    PaintIconBlock(canvas, 2, 23.5f * unit, 8.5f * unit, half);
    PaintIconBlock(canvas, 3, 16.0f * unit, 23.5f * unit, half);
    return canvas;
}

void WriteAppIcons(AssetOutput& out) {
    for (int size : kAppIconSizes) {
        std::string name = std::to_string(size) + "x" + std::to_string(size);
        WritePng(out, "hicolor/" + name + "/apps/quz.png", PaintAppIcon(size), KeyMode::Alpha);
    }
}
