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

// Compares the surface with a copy of its pattern: each pixel must be either untouched or 0, and 0
// exactly where `black(x, y)` says so.
template <typename Black>
void ExpectBlackExactlyWhere(const GuardedSurface& surface, const GuardedSurface& before, Black black,
                             const char* what) {
    int mismatches = 0;
    for (int y = 0; y < surface.get()->h; ++y) {
        for (int x = 0; x < surface.get()->w; ++x) {
            const uint32_t expected = black(x, y) ? 0 : before.Pixel(x, y);
            if (surface.Pixel(x, y) != expected && ++mismatches <= 3) {
                ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << surface.Pixel(x, y)
                              << ", not " << expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << what;
    EXPECT_TRUE(surface.GuardsIntact()) << what;
}

TEST_F(WipeTest, HalvesMapAtEachLevelAndDepth) {
    const std::vector<Uint8> map = HalvesMap();
    struct Step {
        int level;
        int blackFromX;  // pixels at x >= this are black; 640 for none
    };
    const Step steps[] = {{-1, 0}, {0, 0}, {1, 320}, {128, 320}, {255, 320}, {256, 640}, {1000, 640}};
    for (Depth depth : kWipeDepths) {
        for (const Step& step : steps) {
            GuardedSurface surface(depth, 640, 480);
            surface.FillPattern();
            GuardedSurface before(depth, 640, 480);
            before.FillPattern();
            DrawWipe(surface.get(), step.level, map.data());
            const std::string what =
                std::string(DepthName(depth)) + " bits, level " + std::to_string(step.level);
            ExpectBlackExactlyWhere(
                surface, before, [&](int x, int) { return x >= step.blackFromX; }, what.c_str());
        }
    }
}

TEST_F(WipeTest, SamePixelsAtEveryDepth) {
    const std::vector<Uint8> map = RandomMap(7);
    for (int level : {1, 77, 128, 200, 255}) {
        for (Depth depth : kWipeDepths) {
            GuardedSurface surface(depth, 640, 480);
            surface.FillPattern();
            GuardedSurface before(depth, 640, 480);
            before.FillPattern();
            DrawWipe(surface.get(), level, map.data());
            const std::string what = std::string(DepthName(depth)) + " bits, level " + std::to_string(level);
            ExpectBlackExactlyWhere(
                surface, before, [&](int x, int y) { return map[(y / 2) * 320 + x / 2] >= level; },
                what.c_str());
        }
    }
}

TEST_F(WipeTest, NegativeLevelsBlackenFirstThenUseTheirLowByte) {
    // Level -200 has the low byte 56: the fill already made everything black, whatever the map says.
    const std::vector<Uint8> map = RandomMap(3);
    GuardedSurface surface(Depth::Bits32, 700, 500);
    surface.FillPattern();
    DrawWipe(surface.get(), -200, map.data());
    GuardedSurface black(Depth::Bits32, 700, 500);
    ExpectBlackExactlyWhere(
        surface, black, [](int, int) { return true; }, "level -200");
}

TEST_F(WipeTest, OnlyTheScreenAreaOfALargerSurfaceIsTouched) {
    const std::vector<Uint8> map = RandomMap(11);
    GuardedSurface surface(Depth::Bits32, 700, 500);
    surface.FillPattern();
    GuardedSurface before(Depth::Bits32, 700, 500);
    before.FillPattern();
    DrawWipe(surface.get(), 0, map.data());
    ExpectBlackExactlyWhere(
        surface, before, [](int x, int y) { return x < 640 && y < 480; }, "level 0");
}

TEST_F(WipeTest, SmallerSurfacesGetTheBlocksThatLieOnThem) {
    const std::vector<Uint8> map = RandomMap(5);
    // Odd sizes leave half blocks on the right and bottom edges; a row padding makes pitch matter.
    const int sizes[][2] = {{101, 51}, {100, 50}, {1, 1}, {639, 479}, {37, 480}};
    for (Depth depth : kWipeDepths) {
        for (const auto& size : sizes) {
            GuardedSurface surface(depth, size[0], size[1], 7);
            surface.FillPattern();
            GuardedSurface before(depth, size[0], size[1], 7);
            before.FillPattern();
            DrawWipe(surface.get(), 100, map.data());
            const std::string what = std::string(DepthName(depth)) + " bits, " + std::to_string(size[0]) +
                                     "x" + std::to_string(size[1]);
            ExpectBlackExactlyWhere(
                surface, before, [&](int x, int y) { return map[(y / 2) * 320 + x / 2] >= 100; },
                what.c_str());
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

TEST_F(WipeTest, UnsupportedPixelSizeIsReported) {
    const std::vector<Uint8> map(kWipeMapSize, 255);
    GuardedSurface surface(Depth::Bits32, 640, 480);
    surface.FillPattern();
    GuardedSurface before(Depth::Bits32, 640, 480);
    before.FillPattern();
    SDL_PixelFormat* format = surface.get()->format;
    format->BytesPerPixel = 5;
    testing::internal::CaptureStdout();
    DrawWipe(surface.get(), 10, map.data());
    fflush(stdout);
    const std::string printed = testing::internal::GetCapturedStdout();
    format->BytesPerPixel = 4;
    EXPECT_EQ(printed, "DrawWipe Error: Invalid BPP\n");
    ExpectBlackExactlyWhere(
        surface, before, [](int, int) { return false; }, "5 bytes per pixel");
}

}  // namespace
