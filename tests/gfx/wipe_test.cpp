// The wipe's exact pixels: which blocks go black at each level, the same positions at every depth, the
// untouched pixels kept byte for byte, and no write outside a Surface of any size.
#include "gfx/wipe.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "gfx/surface_support.h"
#include "gfx/wipe_blocks.h"

namespace {

class WipeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { StartVideoForTests(); }
};

constexpr Depth kWipeDepths[] = {Depth::Bits8, Depth::Bits16, Depth::Bits24, Depth::Bits32};

std::vector<Uint8> RandomMap(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Uint8> map(kWipeMapSize);
    for (auto& threshold : map) {
        threshold = static_cast<Uint8>(random());
    }
    return map;
}

// Columns 0 to 159 hold 0, columns 160 to 319 hold 255.
std::vector<Uint8> HalvesMap() {
    std::vector<Uint8> map(kWipeMapSize);
    for (size_t i = 0; i < map.size(); ++i) {
        map[i] = i % 320 < 160 ? 0 : 255;
    }
    return map;
}

// Wipes a patterned Surface and checks every pixel: 0 exactly where `black(x, y)` says so, untouched
// elsewhere, and nothing written outside the picture.
template <typename Black>
void WipeAndCheck(Depth depth, int width, int height, int level, const std::vector<Uint8>& map, Black black) {
    GuardedSurface surface(depth, width, height, 7);
    surface.FillPattern();
    GuardedSurface before(depth, width, height, 7);
    before.FillPattern();
    DrawWipe(surface.get(), level, map.data());
    int mismatches = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t expected = black(x, y) ? 0 : before.Pixel(x, y);
            if (surface.Pixel(x, y) != expected && ++mismatches <= 3) {
                ADD_FAILURE() << DepthName(depth) << " bits, " << width << "x" << height << ", level "
                              << level << ": pixel " << x << "," << y << " is " << surface.Pixel(x, y);
            }
        }
    }
    EXPECT_TRUE(surface.GuardsIntact()) << DepthName(depth) << " bits, level " << level;
}

TEST_F(WipeTest, EachLevelBlackensTheSamePixelsAtEveryDepth) {
    const std::vector<Uint8> halves = HalvesMap();
    const std::vector<Uint8> noise = RandomMap(7);
    for (Depth depth : kWipeDepths) {
        for (int level : {-1, 0, 1, 128, 255, 256, 1000}) {
            const int blackFromX = level <= 0 ? 0 : level <= 255 ? 320 : 640;
            WipeAndCheck(depth, 640, 480, level, halves, [&](int x, int) { return x >= blackFromX; });
        }
        for (int level : {1, 77, 200, 255}) {
            WipeAndCheck(depth, 640, 480, level, noise,
                         [&](int x, int y) { return noise[(y / 2) * 320 + x / 2] >= level; });
        }
    }
}

TEST_F(WipeTest, OnALargerSurfaceOnlyTheScreenAreaIsWiped) {
    const std::vector<Uint8> map = RandomMap(3);
    WipeAndCheck(Depth::Bits32, 700, 500, 0, map, [](int x, int y) { return x < 640 && y < 480; });
    // A negative level fills the whole clip rectangle first; -200 then uses its low byte, 56.
    WipeAndCheck(Depth::Bits32, 700, 500, -200, map, [](int, int) { return true; });
}

TEST_F(WipeTest, SmallerSurfacesGetTheBlocksThatLieOnThem) {
    const std::vector<Uint8> map = RandomMap(5);
    // Odd sizes leave half blocks on the right and bottom edges.
    const int sizes[][2] = {{101, 51}, {100, 50}, {1, 1}, {639, 479}, {37, 480}};
    for (Depth depth : kWipeDepths) {
        for (const auto& size : sizes) {
            WipeAndCheck(depth, size[0], size[1], 100, map,
                         [&](int x, int y) { return map[(y / 2) * 320 + x / 2] >= 100; });
        }
    }
}

TEST_F(WipeTest, VectorAndPlainMapComparisonsAgree) {
    const std::vector<Uint8> map = RandomMap(13);
    for (int bytes = 1; bytes <= 4; ++bytes) {
        for (int threshold : {0, 1, 90, 255}) {
            std::vector<Uint8> vector(static_cast<size_t>(640 * bytes * 480), 0xEE);
            std::vector<Uint8> plain = vector;
            ClearWipeBlocks({vector.data(), 640 * bytes, bytes, 640, 480}, map.data(),
                            static_cast<Uint8>(threshold), true);
            ClearWipeBlocks({plain.data(), 640 * bytes, bytes, 640, 480}, map.data(),
                            static_cast<Uint8>(threshold), false);
            EXPECT_EQ(vector, plain) << bytes << " bytes per pixel, threshold " << threshold;
        }
    }
}

TEST_F(WipeTest, UnsupportedPixelSizeIsReportedAndDrawsNothing) {
    const std::vector<Uint8> map(kWipeMapSize, 255);
    GuardedSurface surface(Depth::Bits32, 640, 480);
    surface.FillPattern();
    SDL_PixelFormat* format = surface.get()->format;
    format->BytesPerPixel = 5;
    testing::internal::CaptureStdout();
    DrawWipe(surface.get(), 10, map.data());
    fflush(stdout);
    const std::string printed = testing::internal::GetCapturedStdout();
    format->BytesPerPixel = 4;
    EXPECT_EQ(printed, "DrawWipe Error: Invalid BPP\n");
    // Every block is at threshold 255, so any block pass would have blackened these.
    EXPECT_NE(surface.Pixel(0, 0), 0u);
    EXPECT_NE(surface.Pixel(639, 479), 0u);
}

}  // namespace
