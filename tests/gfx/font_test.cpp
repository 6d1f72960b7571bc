// Text and digits: which cell each character copies, where it lands, what is skipped, and the cut at
// every edge of the destination.
#include "gfx/font.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "gfx/surface_support.h"

namespace {

constexpr uint32_t kBackground = 0x00123456;

// A strip of cells in which every pixel says which cell and which spot it is; column 0 of every cell is
// the colour key, so it must leave the destination as it was.
SDL_Surface* MakeStrip(int cellWidth, int cellHeight, int cells) {
    SDL_Surface* strip =
        SDL_CreateRGBSurface(0, cellWidth * cells, cellHeight, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    for (int y = 0; y < cellHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(strip->pixels) + y * strip->pitch);
        for (int x = 0; x < strip->w; ++x) {
            const int cell = x / cellWidth;
            const int column = x % cellWidth;
            row[x] = column == 0 ? 0 : static_cast<uint32_t>((cell + 1) << 16 | column << 8 | (y + 1));
        }
    }
    SDL_SetColorKey(strip, SDL_TRUE, 0);
    return strip;
}

uint32_t CellPixel(int cell, int column, int row) {
    return static_cast<uint32_t>((cell + 1) << 16 | column << 8 | (row + 1));
}

bool SamePixels(const GuardedSurface& a, const GuardedSurface& b) {
    for (int y = 0; y < a.get()->h; ++y) {
        for (int x = 0; x < a.get()->w; ++x) {
            if (a.Pixel(x, y) != b.Pixel(x, y)) {
                return false;
            }
        }
    }
    return true;
}

class FontTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        StartVideoForTests();
        InitFont();
    }
    void SetUp() override {
        font = MakeStrip(16, 16, 50);
        digits = MakeStrip(20, 28, 10);
        smallDigits = MakeStrip(8, 7, 10);
    }
    void TearDown() override {
        SDL_FreeSurface(font);
        SDL_FreeSurface(digits);
        SDL_FreeSurface(smallDigits);
    }
    static GuardedSurface* Blank(GuardedSurface* surface) {
        surface->Fill(kBackground);
        return surface;
    }
    SDL_Surface* font = nullptr;
    SDL_Surface* digits = nullptr;
    SDL_Surface* smallDigits = nullptr;
};

TEST_F(FontTest, GlyphTableIsCaseBlindAndHasOnlyItsFiftySigns) {
    int glyphs = 0;
    for (int code = -300; code < 300; ++code) {
        glyphs += IsFontChar(code) ? 1 : 0;
    }
    EXPECT_EQ(glyphs, 26 * 2 + 10 + 10 + 4 * 2);
    for (const int c : std::initializer_list<int>{'A', 'z',  'm', 'M', '0', '9',  '.',  '!',  '*',  '-', ',',
                                                  ':', '\'', '(', ')', '/', 0xC9, 0xE9, 0xE0, 0xC7, 0xE8}) {
        EXPECT_TRUE(IsFontChar(c)) << c;
    }
    for (int code : {int{' '}, int{'?'}, int{'~'}, int{'"'}, 127, 0xCA, 0xEA, 0xF9, 255, 0, -1, 0x1C9}) {
        EXPECT_FALSE(IsFontChar(code)) << code;
    }
    InitFont();
    EXPECT_TRUE(IsFontChar('q'));
    EXPECT_FALSE(IsFontChar(' '));
}

TEST_F(FontTest, TextAdvancesTwelveAndLaterGlyphsOverlapEarlierOnes) {
    GuardedSurface upper(Depth::Bits32, 100, 40);
    GuardedSurface lower(Depth::Bits32, 100, 40);
    DrawText(Blank(&upper)->get(), 10, 5, "Ab", font);
    DrawText(Blank(&lower)->get(), 10, 5, "aB", font);
    EXPECT_TRUE(SamePixels(upper, lower));
    EXPECT_EQ(upper.Pixel(10, 5), kBackground);            // keyed column of "A"
    EXPECT_EQ(upper.Pixel(11, 5), CellPixel(0, 1, 0));     // "A" is glyph 0
    EXPECT_EQ(upper.Pixel(22, 5), CellPixel(0, 12, 0));    // under the keyed column of "b"
    EXPECT_EQ(upper.Pixel(23, 5), CellPixel(1, 1, 0));     // "b" over the last columns of "A"
    EXPECT_EQ(upper.Pixel(37, 20), CellPixel(1, 15, 15));  // last pixel of "b"
    EXPECT_EQ(upper.Pixel(38, 20), kBackground);
    EXPECT_EQ(upper.Pixel(37, 21), kBackground);

    // Digits and signs follow the letters in the strip.
    DrawText(Blank(&upper)->get(), 0, 0, "09.!*-", font);
    const int kGlyphs[] = {26, 35, 36, 37, 38, 39};
    for (int i = 0; i < 6; ++i) {
        const int glyph = kGlyphs[i];
        EXPECT_EQ(upper.Pixel(12 * i + 1, 0), CellPixel(glyph, 1, 0)) << i;
    }
}

TEST_F(FontTest, CharactersWithoutGlyphLeaveAGap) {
    GuardedSurface spaced(Depth::Bits32, 200, 20);
    GuardedSurface expected(Depth::Bits32, 200, 20);
    DrawText(Blank(&spaced)->get(), 0, 0, "A B", font);
    DrawText(Blank(&expected)->get(), 0, 0, "A", font);
    DrawText(expected.get(), 24, 0, "B", font);
    EXPECT_TRUE(SamePixels(spaced, expected));
    EXPECT_EQ(spaced.Pixel(20, 3), kBackground);

    DrawText(Blank(&spaced)->get(), 0, 0, "?~\x7f\xc8 A", font);
    DrawText(Blank(&expected)->get(), 60, 0, "A", font);
    EXPECT_TRUE(SamePixels(spaced, expected));

    DrawText(Blank(&spaced)->get(), 0, 0, "", font);
    EXPECT_TRUE(SamePixels(spaced, *Blank(&expected)));
}

// Texts are UTF-8: an accented letter is one cell, the same capital whatever its case; a byte that is
// no part of a two-byte character is a cell of its own, so a broken text never swallows its neighbours.
TEST_F(FontTest, AccentedLettersTakeOneCellAndStrayBytesTheirOwn) {
    GuardedSurface drawn(Depth::Bits32, 300, 20);
    DrawText(Blank(&drawn)->get(), 0, 0,
             "\xc3\x89t\xc3\xa9, \xc3\xa0 \xc3\x87"
             "a:'(/)",
             font);
    const int kCells[] = {46, 19, 46, 40, -1, 48, -1, 49, 0, 41, 42, 43, 45, 44};
    for (int i = 0; i < 14; ++i) {
        if (kCells[i] >= 0) {  // a space shows the previous glyph's last columns there
            EXPECT_EQ(drawn.Pixel(12 * i + 1, 0), CellPixel(kCells[i], 1, 0)) << i;
        }
    }
    EXPECT_EQ(TextCells("\xc3\x89t\xc3\xa9, \xc3\xa0 \xc3\x87"
                        "a:'(/)"),
              14);
    // A lead byte at the end, one before a non-continuation, a three-byte character: one cell a byte.
    EXPECT_EQ(TextCells("A\xc3"), 2);
    EXPECT_EQ(TextCells("\xc3"
                        "A"),
              2);
    EXPECT_EQ(TextCells("\xe2\x82\xac"), 3);
    EXPECT_EQ(TextCells(""), 0);
    EXPECT_EQ(TextCells(nullptr), 0);
    DrawText(Blank(&drawn)->get(), 0, 0,
             "\xe2\x82\xac"
             "B",
             font);
    EXPECT_EQ(drawn.Pixel(36 + 1, 0), CellPixel(1, 1, 0));
    EXPECT_EQ(drawn.Pixel(1, 0), kBackground);
}

TEST_F(FontTest, DigitsSkipEverythingElse) {
    GuardedSurface drawn(Depth::Bits32, 200, 40);
    GuardedSurface expected(Depth::Bits32, 200, 40);
    DrawNumbers(Blank(&drawn)->get(), 3, 2, "  42", digits);
    DrawNumbers(Blank(&expected)->get(), 43, 2, "4", digits);
    DrawNumbers(expected.get(), 63, 2, "2", digits);
    EXPECT_TRUE(SamePixels(drawn, expected));
    EXPECT_EQ(drawn.Pixel(44, 2), CellPixel(4, 1, 0));
    EXPECT_EQ(drawn.Pixel(82, 29), CellPixel(2, 19, 27));

    DrawNumbers(Blank(&drawn)->get(), 3, 2, "-5/aZ.7", digits);
    DrawNumbers(Blank(&expected)->get(), 23, 2, "5", digits);
    DrawNumbers(expected.get(), 123, 2, "7", digits);
    EXPECT_TRUE(SamePixels(drawn, expected));

    // Small digits: "12345" covers exactly 40 by 7 pixels.
    DrawSmallNumbers(Blank(&drawn)->get(), 5, 6, "12345", smallDigits);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool inside = x >= 5 && x < 45 && y >= 6 && y < 13;
            const bool keyed = (x - 5) % 8 == 0;
            ASSERT_EQ(drawn.Pixel(x, y) != kBackground, inside && !keyed) << x << "," << y;
        }
    }
    EXPECT_EQ(drawn.Pixel(5 + 8 * 4 + 7, 12), CellPixel(5, 7, 6));
}

TEST_F(FontTest, TextIsCutAtEveryEdge) {
    GuardedSurface surface(Depth::Bits32, 50, 30);
    // Past the right and bottom edges.
    DrawText(Blank(&surface)->get(), 40, 20, "AB", font);
    EXPECT_EQ(surface.Pixel(49, 29), CellPixel(0, 9, 9));
    EXPECT_TRUE(surface.GuardsIntact());
    // From left of and above the destination.
    DrawText(Blank(&surface)->get(), -10, -5, "A", font);
    EXPECT_EQ(surface.Pixel(0, 0), CellPixel(0, 10, 5));
    EXPECT_EQ(surface.Pixel(5, 10), CellPixel(0, 15, 15));
    EXPECT_EQ(surface.Pixel(6, 10), kBackground);
    EXPECT_TRUE(surface.GuardsIntact());
    // Within a clip rectangle.
    SDL_Rect clip = {10, 10, 5, 3};
    SDL_SetClipRect(surface.get(), &clip);
    DrawNumbers(Blank(&surface)->get(), 0, 0, "123", digits);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 50; ++x) {
            const bool inClip = x >= 10 && x < 15 && y >= 10 && y < 13;
            EXPECT_EQ(surface.Pixel(x, y) != kBackground, inClip) << x << "," << y;
        }
    }
    SDL_SetClipRect(surface.get(), nullptr);
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_F(FontTest, PositionsBeyondSixteenBitsDoNotWrapOntoThePicture) {
    GuardedSurface surface(Depth::Bits32, 100, 40);
    GuardedSurface blank(Depth::Bits32, 100, 40);
    Blank(&blank);
    DrawText(Blank(&surface)->get(), 65536 + 5, 0, "A", font);
    DrawText(surface.get(), 0, 65536 + 5, "A", font);
    DrawNumbers(surface.get(), -65536 + 5, 0, "1", digits);
    DrawSmallNumbers(surface.get(), 0, -65536 + 5, "1", smallDigits);
    EXPECT_TRUE(SamePixels(surface, blank));
    // A long text runs off the right edge and stays there.
    std::string longText(6000, 'A');
    DrawText(surface.get(), 60, 0, longText.c_str(), font);
    EXPECT_EQ(surface.Pixel(0, 0), kBackground);
    EXPECT_EQ(surface.Pixel(61, 0), CellPixel(0, 1, 0));
}

}  // namespace
