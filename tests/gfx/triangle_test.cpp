// The triangle filler's exact pixels: which rows and columns a triangle covers, the blend at every
// depth, clipping at every edge of the screen and of a smaller Surface, and the star's vertices.
#include "gfx/triangle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "gfx/surface_support.h"

namespace {

class TriangleTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { StartVideoForTests(); }
};

// Which pixels of the surface differ from `background`, as rows of '#' and '.'.
std::string CoverageOf(const GuardedSurface& surface, uint32_t background, int width, int height) {
    std::string rows;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows += surface.Pixel(x, y) != background ? '#' : '.';
        }
        rows += '\n';
    }
    return rows;
}

// The right-angled triangle (0,0) (10,0) (0,10): row y covers x = 0 to 9 - y.
std::string StaircaseRows(bool oddRowsOnly) {
    std::string rows;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool covered = y < 10 && x < 10 - y && (!oddRowsOnly || y % 2 == 1);
            rows += covered ? '#' : '.';
        }
        rows += '\n';
    }
    return rows;
}

TEST_F(TriangleTest, RightEndAndLastRowAreExcluded) {
    GuardedSurface surface(Depth::Bits32, 640, 480);
    surface.Fill(0xFFFFFFFF);
    DrawTriangle(surface.get(), 0, 0, 10, 0, 0, 10, 0);
    EXPECT_EQ(CoverageOf(surface, 0xFFFFFFFF, 12, 12), StaircaseRows(false));
    EXPECT_EQ(surface.Pixel(0, 0), 0x7F7F7F7Fu);
    EXPECT_EQ(surface.Pixel(9, 0), 0x7F7F7F7Fu);

    // Three equal rows leave nothing.
    GuardedSurface flat(Depth::Bits32, 320, 10);
    DrawTriangle(flat.get(), 5, 7, 100, 7, 300, 7, 0xFFFFFFFF);
    DrawTriangle(flat.get(), 5, 7, 5, 7, 5, 7, 0xFFFFFFFF);
    EXPECT_EQ(CoverageOf(flat, 0, 320, 10).find('#'), std::string::npos);
}

TEST_F(TriangleTest, EightBitsIsOpaqueOnOddRowsOnly) {
    GuardedSurface surface(Depth::Bits8, 640, 480);
    DrawTriangle(surface.get(), 0, 0, 10, 0, 0, 10, 0xABCD37);
    EXPECT_EQ(CoverageOf(surface, 0, 12, 12), StaircaseRows(true));
    EXPECT_EQ(surface.Pixel(0, 1), 0x37u);
    EXPECT_EQ(surface.Pixel(8, 1), 0x37u);
}

TEST_F(TriangleTest, VertexOrderDoesNotChangeThePixels) {
    const std::array<std::array<int, 2>, 3> shapes[] = {
        {{{3, -5}, {50, 20}, {-7, 33}}},          // a scalene triangle crossing the top edge
        {{{100, 40}, {20, 40}, {61, 95}}},        // flat top
        {{{30, 10}, {5, 70}, {90, 70}}},          // flat bottom
        {{{620, 200}, {700, 260}, {600, 300}}}};  // crossing the right edge
    for (const auto& shape : shapes) {
        GuardedSurface reference(Depth::Bits32, 640, 480);
        DrawTriangle(reference.get(), shape[0][0], shape[0][1], shape[1][0], shape[1][1], shape[2][0],
                     shape[2][1], 0x00FFFFFF);
        std::array<int, 3> order = {0, 1, 2};
        do {
            GuardedSurface surface(Depth::Bits32, 640, 480);
            const auto& a = shape[order[0]];
            const auto& b = shape[order[1]];
            const auto& c = shape[order[2]];
            DrawTriangle(surface.get(), a[0], a[1], b[0], b[1], c[0], c[1], 0x00FFFFFF);
            EXPECT_EQ(CoverageOf(surface, 0, 640, 480), CoverageOf(reference, 0, 640, 480))
                << "order " << order[0] << order[1] << order[2] << " of triangle at " << shape[0][0];
        } while (std::next_permutation(order.begin(), order.end()));
    }
}

struct BlendCase {
    Depth depth;
    uint32_t old;
    uint32_t colour;
    uint32_t expected;  // bytes in memory order
};

TEST_F(TriangleTest, EachDepthAveragesWithItsOwnMask) {
    const BlendCase cases[] = {
        {Depth::Bits32, 0xFFFFFFFF, 0x00000000, 0x7F7F7F7F},
        {Depth::Bits32, 0x00000000, 0x00FFFFFF, 0x007F7F7F},
        {Depth::Bits32, 0x80402010, 0x01030507, 0x4021120B},
        {Depth::Bits24, 0xFFFFFF, 0x000000, 0x7F7F7F},
        {Depth::Bits24, 0x804020, 0x030507, 0x412213},
        {Depth::Bits24, 0x000000, 0xFF123456, 0x091A2B},  // the top byte of the colour is not a pixel byte
        {Depth::Bits16, 0xFFFF, 0x0000, 0x7BEF},
        {Depth::Bits16, 0x0000, 0xFFFF, 0x7BEF},
        {Depth::Bits16, 0xF800, 0x07E0, 0x7BE0},
        {Depth::Bits15, 0x7FFF, 0x0000, 0x3DEF},
        {Depth::Bits15, 0x0000, 0xFFFF, 0x3DEF},
        {Depth::Bits15, 0x7C00, 0x03E0, 0x3DE0},
        {Depth::Bits16RedShift10, 0x7FFF, 0x0000, 0x3DEF},
        {Depth::Bits16RedShift10, 0x0000, 0xFFFF, 0x3DEF},
    };
    for (const BlendCase& blend : cases) {
        GuardedSurface surface(blend.depth, 640, 480);
        surface.Fill(blend.old);
        DrawTriangle(surface.get(), 0, 0, 4, 0, 0, 4, blend.colour);
        EXPECT_EQ(surface.Pixel(0, 0), blend.expected)
            << DepthName(blend.depth) << " bits, old " << std::hex << blend.old << " colour " << blend.colour;
        EXPECT_EQ(surface.Pixel(3, 0), blend.expected);
        EXPECT_EQ(surface.Pixel(4, 0), blend.old);
        EXPECT_TRUE(surface.GuardsIntact());
    }
}

TEST_F(TriangleTest, SpansAreCutAtEveryEdgeOfTheScreen) {
    // A surface larger than the screen shows that the 640 by 480 bounds hold, not the surface's.
    GuardedSurface surface(Depth::Bits32, 700, 520);
    // Left: from (-5, 0) the span starts at 0; a span ending at 0 draws nothing.
    DrawTriangle(surface.get(), -5, 0, 5, 0, -5, 10, 0xFFFFFFFF);
    EXPECT_NE(surface.Pixel(0, 0), 0u);
    EXPECT_NE(surface.Pixel(4, 0), 0u);
    EXPECT_EQ(surface.Pixel(5, 0), 0u);
    EXPECT_EQ(surface.Pixel(0, 5), 0u);  // the span is -5 to 0 there
    EXPECT_NE(surface.Pixel(0, 4), 0u);

    // Right: a span reaching beyond 639 stops at 639.
    DrawTriangle(surface.get(), 630, 20, 690, 20, 630, 30, 0xFFFFFFFF);
    EXPECT_NE(surface.Pixel(639, 20), 0u);
    EXPECT_EQ(surface.Pixel(640, 20), 0u);
    EXPECT_EQ(surface.Pixel(629, 20), 0u);

    // Top and bottom: rows above 0 and below 479 are skipped but still move the edges.
    DrawTriangle(surface.get(), 100, -40, 140, -40, 100, 520, 0xFFFFFFFF);
    int widthAtRow0 = 0;
    while (surface.Pixel(100 + widthAtRow0, 0) != 0) {
        ++widthAtRow0;
    }
    // Edge b runs from x 140 at y -40 to x 100 at y 520: at y 0 it is at 140 - 40 * 40 / 560.
    EXPECT_EQ(widthAtRow0, 37);
    EXPECT_NE(surface.Pixel(100, 479), 0u);
    EXPECT_EQ(surface.Pixel(100, 480), 0u);
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_F(TriangleTest, FarVerticesAndSmallSurfacesNeverWriteOutside) {
    for (Depth depth : kAllDepths) {
        GuardedSurface surface(depth, 33, 17);
        surface.FillPattern();
        DrawTriangle(surface.get(), -100000, -100000, 2000000000, 5, -300, 1000000, 0xFFFFFFFF);
        DrawTriangle(surface.get(), -2147483647, 3, 2147483647, 3, 0, 2147483647, 0xFFFFFFFF);
        DrawStar(surface.get(), 20, 10, 1000, 17, 0xFFFFFFFF);
        EXPECT_TRUE(surface.GuardsIntact()) << DepthName(depth) << " bits";
    }
    // Inside a small Surface the pixels are those of the screen.
    GuardedSurface small(Depth::Bits32, 6, 5);
    DrawTriangle(small.get(), 0, 0, 10, 0, 0, 10, 0xFFFFFFFF);
    EXPECT_NE(small.Pixel(5, 4), 0u);
    EXPECT_EQ(small.Pixel(5, 1), 0x7F7F7F7Fu);
    EXPECT_TRUE(small.GuardsIntact());
}

TEST_F(TriangleTest, UnsupportedDepthIsReportedAndDrawsNothing) {
    SDL_Surface* surface = SDL_CreateRGBSurface(0, 16, 16, 12, 0xF00, 0xF0, 0xF, 0);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->format->BitsPerPixel, 12);
    SDL_FillRect(surface, nullptr, 0);
    testing::internal::CaptureStdout();
    DrawTriangle(surface, 0, 0, 10, 0, 0, 10, 0xFFF);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DrawTriangle Error: Invalid BPP\nbpp=12\n");
    EXPECT_EQ(static_cast<Uint16*>(surface->pixels)[0], 0);
    SDL_FreeSurface(surface);
}

// The star's ten triangles, with its vertices worked out by hand (pi as 3.1415927, every coordinate
// truncated): the first inner vertex straight right of the centre, the first point 36 degrees below.
TEST_F(TriangleTest, StarIsTenTrianglesAroundItsCentre) {
    struct Points {
        int ax, ay, bx, by, tx, ty;
    };
    const Points angle0[] = {{120, 100, 106, 119, 132, 123},
                             {106, 119, 83, 111, 87, 138},
                             {83, 111, 83, 88, 60, 99},
                             {83, 88, 106, 80, 87, 61},
                             {106, 80, 119, 100, 132, 76}};
    const Points angle30[] = {{225, 165, 193, 179, 224, 204},
                              {193, 179, 170, 153, 155, 190},
                              {170, 153, 187, 122, 148, 119},
                              {187, 122, 222, 129, 212, 91},
                              {222, 129, 225, 165, 259, 143}};
    struct Star {
        int cx, cy, radius, angle;
        const Points* points;
    };
    for (const Star& star : {Star{100, 100, 40, 0, angle0}, Star{200, 150, 60, 30, angle30}}) {
        GuardedSurface drawn(Depth::Bits32, 640, 480);
        GuardedSurface expected(Depth::Bits32, 640, 480);
        DrawStar(drawn.get(), star.cx, star.cy, star.radius, star.angle, 0x00FFFF00);
        for (int i = 0; i < 5; ++i) {
            const Points& p = star.points[i];
            DrawTriangle(expected.get(), star.cx, star.cy, p.ax, p.ay, p.bx, p.by, 0x00FFFF00);
            DrawTriangle(expected.get(), p.tx, p.ty, p.ax, p.ay, p.bx, p.by, 0x00FFFF00);
        }
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                ASSERT_EQ(drawn.Pixel(x, y), expected.Pixel(x, y))
                    << "star at angle " << star.angle << ", pixel " << x << "," << y;
            }
        }
    }
    // Next to its first point the star is drawn; the point's own row is the last row of its triangle.
    GuardedSurface surface(Depth::Bits32, 640, 480);
    DrawStar(surface.get(), 100, 100, 40, 0, 0x00FFFF00);
    EXPECT_EQ(surface.Pixel(130, 122), 0x007F7F00u);
    EXPECT_EQ(surface.Pixel(132, 123), 0u);
    EXPECT_EQ(surface.Pixel(119, 100), 0x007F7F00u);  // the centre triangle, averaged once
    // Radius 0 leaves nothing.
    GuardedSurface empty(Depth::Bits32, 640, 480);
    DrawStar(empty.get(), 100, 100, 0, 45, 0x00FFFF00);
    EXPECT_EQ(CoverageOf(empty, 0, 200, 200),
              CoverageOf(GuardedSurface(Depth::Bits32, 200, 200), 0, 200, 200));
}

}  // namespace
