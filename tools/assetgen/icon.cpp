// Window icon, written as a 24-bit BMP so that SDL loads it without an image library. Pure black is the
// transparent background; the blocks use no pure black.
#include "icon.h"

#include <cstdint>
#include <vector>

namespace {

constexpr int kSize = 32;

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

struct Rgb {
    uint8_t r, g, b;
};

// One bevelled block of the icon: lighter top-left edge, darker bottom-right edge.
Rgb BlockPixel(Rgb base, int x, int y, int size) {
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
    std::vector<Rgb> pixels(kSize * kSize, Rgb{0, 0, 0});
    struct Block {
        int x, y;
        Rgb colour;
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
            const Rgb& p = pixels[y * kSize + x];
            bmp.push_back(p.b);
            bmp.push_back(p.g);
            bmp.push_back(p.r);
        }
    }
    out.Write("icon.bmp", bmp);
}
