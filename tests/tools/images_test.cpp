// The generated pictures: names and sizes the game loads, colour keys where the game sets them, strips
// that loop, lit blocks brighter than plain ones, shapes that differ without colour, and a panel whose
// number wells sit exactly where the game draws its numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "asset_files_support.h"

namespace {

const char* const kLanguages[] = {"fr", "en"};

struct Expected {
    std::string path;
    int width, height;
};

std::vector<Expected> AllImages() {
    std::vector<Expected> list = {
        {"mouse.png", 32, 32},    {"title.png", 640, 251},       {"logo.png", 640, 480},
        {"font.png", 800, 16},    {"numbers.png", 200, 28},      {"smallnums.png", 80, 7},
        {"fontlit.png", 800, 16}, {"scorelit.png", 588, 20},     {"result.png", 576, 56},
        {"result1.png", 576, 34}, {"theme1/back.png", 480, 480},
    };
    for (const char* name : {"r", "g", "b", "sr", "sg", "sb"}) {
        list.push_back({std::string("theme1/") + name + ".png", 640, 32});
        list.push_back({std::string("bonus/") + name + ".png", 640, 32});
    }
    for (const char* lang : kLanguages) {
        std::string dir = std::string("data/") + lang + "/";
        std::string l = std::string(lang) + "/";
        list.push_back({l + "right.png", 160, 480});
        for (const char* name : {"gameover", "hiscore", "entry", "loselevel", "wonlevel", "wongame"}) {
            list.push_back({l + name + ".png", 380, 128});
        }
        for (const char* name :
             {"perfect", "5000", "bonus1000", "bonus500", "bonus2x", "bonusAddLine", "bonuslife"}) {
            list.push_back({l + name + ".png", 256, 64});
        }
        for (const char* name : {"play", "daily", "scores", "about", "exit"}) {
            list.push_back({l + name + ".png", 640, 38});
            list.push_back({l + "s" + name + ".png", 640, 38});
        }
        list.push_back({l + "copyright.png", 640, 39});
        list.push_back({l + "credits.png", 640, 229});
        list.push_back({l + "bottom.png", 640, 229});
        list.push_back({l + "pause.png", 480, 480});
        list.push_back({l + "howto.png", 640, 480});
    }
    return list;
}

TEST(GeneratedImages, EveryImageExistsAtItsSize) {
    for (const Expected& e : AllImages()) {
        RgbImage image = LoadRgb("data/" + e.path);
        ASSERT_TRUE(image.Loaded()) << e.path;
        EXPECT_EQ(image.width, e.width) << e.path;
        EXPECT_EQ(image.height, e.height) << e.path;
    }
}

int KeyPixels(const RgbImage& image, int x0, int y0, int w, int h) {
    int count = 0;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            count += image.IsKey(x, y) ? 1 : 0;
        }
    }
    return count;
}

double MeanLuma(const RgbImage& image, int x0, int y0, int w, int h) {
    double sum = 0;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            sum += image.Luma(x, y);
        }
    }
    return sum / (w * h);
}

// Blocks are keyed: the corners of every frame vanish, the tile itself never does.
TEST(GeneratedImages, BlockFramesAreSolidTilesWithTransparentCorners) {
    for (const char* dir : {"theme1/", "bonus/"}) {
        for (const char* name : {"r", "g", "b", "sr", "sg", "sb"}) {
            std::string path = std::string("data/") + dir + name + ".png";
            RgbImage strip = LoadRgb(path);
            ASSERT_TRUE(strip.Loaded()) << path;
            for (int f = 0; f < 20; ++f) {
                int x0 = f * 32;
                EXPECT_TRUE(strip.IsKey(x0, 0) && strip.IsKey(x0 + 31, 0) && strip.IsKey(x0, 31) &&
                            strip.IsKey(x0 + 31, 31))
                    << path << " frame " << f;
                EXPECT_EQ(KeyPixels(strip, x0 + 3, 3, 26, 26), 0) << path << " frame " << f;
            }
        }
    }
}

// Consecutive frames change gradually, the step from the last frame back to the first included.
TEST(GeneratedImages, BlockStripsLoopSmoothly) {
    for (const char* path :
         {"data/theme1/r.png", "data/theme1/sg.png", "data/bonus/b.png", "data/bonus/sr.png"}) {
        RgbImage strip = LoadRgb(path);
        ASSERT_TRUE(strip.Loaded()) << path;
        double total = 0, largest = 0, wrap = 0;
        for (int f = 0; f < 20; ++f) {
            int next = (f + 1) % 20;
            double diff = 0;
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    diff += std::fabs(strip.Luma(f * 32 + x, y) - strip.Luma(next * 32 + x, y));
                }
            }
            diff /= 1024;
            total += diff;
            largest = std::max(largest, diff);
            if (f == 19) {
                wrap = diff;
            }
        }
        EXPECT_GT(total, 5.0) << path << " does not animate";
        EXPECT_LT(largest, 24.0) << path << " jumps between two frames";
        EXPECT_LE(wrap, total / 20 * 2.0) << path << " jumps when it loops";
    }
}

TEST(GeneratedImages, LitBlocksAreClearlyBrighter) {
    for (const char* dir : {"theme1/", "bonus/"}) {
        for (const char* name : {"r", "g", "b"}) {
            RgbImage plain = LoadRgb(std::string("data/") + dir + name + ".png");
            RgbImage lit = LoadRgb(std::string("data/") + dir + "s" + name + ".png");
            ASSERT_TRUE(plain.Loaded() && lit.Loaded());
            double a = MeanLuma(plain, 0, 0, 640, 32), b = MeanLuma(lit, 0, 0, 640, 32);
            EXPECT_GT(b, a * 1.15) << dir << name;
            EXPECT_GT(b - a, 20.0) << dir << name;
        }
    }
}

// Seen in grey only (no colour vision), the three plain blocks and the three bonus blocks still differ
// in the shape of their bright symbol.
TEST(GeneratedImages, BlocksDifferWithoutColour) {
    for (const char* dir : {"theme1/", "bonus/"}) {
        std::vector<std::vector<bool>> shapes;
        for (const char* name : {"r", "g", "b"}) {
            RgbImage strip = LoadRgb(std::string("data/") + dir + name + ".png");
            ASSERT_TRUE(strip.Loaded());
            std::vector<bool> shape;
            const int f = 12;  // a frame without the glint
            double mean = MeanLuma(strip, f * 32 + 6, 6, 20, 20);
            for (int y = 6; y < 26; ++y) {
                for (int x = 6; x < 26; ++x) {
                    shape.push_back(strip.Luma(f * 32 + x, y) > mean + 25);
                }
            }
            shapes.push_back(shape);
        }
        for (int a = 0; a < 3; ++a) {
            for (int b = a + 1; b < 3; ++b) {
                int differ = 0;
                for (size_t i = 0; i < shapes[a].size(); ++i) {
                    differ += shapes[a][i] != shapes[b][i] ? 1 : 0;
                }
                EXPECT_GT(differ, 30) << dir << " symbols " << a << " and " << b << " look alike";
            }
        }
    }
}

// Each cell of the font and digit strips holds one glyph of its own on a transparent background.
void ExpectGlyphCells(const std::string& path, int cellW, int cells) {
    RgbImage strip = LoadRgb(path);
    ASSERT_TRUE(strip.Loaded()) << path;
    ASSERT_GE(strip.width, cellW * cells) << path;
    std::vector<std::vector<uint8_t>> seen;
    for (int c = 0; c < cells; ++c) {
        int ink = 0;
        std::vector<uint8_t> cell;
        for (int y = 0; y < strip.height; ++y) {
            for (int x = c * cellW; x < (c + 1) * cellW; ++x) {
                bool on = !strip.IsKey(x, y);
                ink += on ? 1 : 0;
                cell.push_back(on ? 1 : 0);
            }
        }
        EXPECT_GT(ink, 3) << path << " cell " << c << " is empty";
        EXPECT_GT(KeyPixels(strip, c * cellW, 0, cellW, strip.height), cellW * strip.height / 3)
            << path << " cell " << c << " has no transparent background";
        for (size_t other = 0; other < seen.size(); ++other) {
            EXPECT_NE(seen[other], cell) << path << " cells " << other << " and " << c << " are the same";
        }
        seen.push_back(cell);
    }
}

TEST(GeneratedImages, FontAndDigitStripsHoldDistinctGlyphs) {
    ExpectGlyphCells("data/font.png", 16, 50);
    ExpectGlyphCells("data/fontlit.png", 16, 50);
    ExpectGlyphCells("data/numbers.png", 20, 10);
    ExpectGlyphCells("data/smallnums.png", 8, 10);
}

// Keyed overlays: their surroundings vanish and their bodies do not; the pointer's tip is at its corner.
TEST(GeneratedImages, OverlaysHaveTransparentSurroundings) {
    for (const char* lang : kLanguages) {
        std::string dir = std::string("data/") + lang + "/";
        for (const char* name : {"gameover", "hiscore", "entry", "loselevel", "wonlevel", "wongame"}) {
            RgbImage panel = LoadRgb(dir + name + ".png");
            ASSERT_TRUE(panel.Loaded()) << name;
            EXPECT_TRUE(panel.IsKey(0, 0) && panel.IsKey(379, 127)) << name;
            EXPECT_EQ(KeyPixels(panel, 10, 10, 360, 108), 0) << name << " has holes";
        }
        for (const char* name :
             {"perfect", "5000", "bonus1000", "bonus500", "bonus2x", "bonusAddLine", "bonuslife"}) {
            RgbImage line = LoadRgb(dir + name + ".png");
            ASSERT_TRUE(line.Loaded()) << name;
            int keyed = KeyPixels(line, 0, 0, 256, 64);
            EXPECT_GT(keyed, 256 * 64 / 3) << name;
            EXPECT_LT(keyed, 256 * 64 - 400) << name << " has too little text";
        }
    }
    RgbImage mouse = LoadRgb("data/mouse.png");
    ASSERT_TRUE(mouse.Loaded());
    EXPECT_FALSE(mouse.IsKey(1, 2));
    EXPECT_TRUE(mouse.IsKey(31, 0));
    EXPECT_TRUE(mouse.IsKey(31, 31));
}

// The announcement lines (bonuses, the perfect board, 5000 points) are one set: their letters have one
// height, however long the words, in both languages.
TEST(GeneratedImages, AnnouncementLinesShareOneLetterHeight) {
    int lowest = 64, highest = 0;
    for (const char* lang : kLanguages) {
        for (const char* name : {"perfect", "5000", "bonus1000", "bonus500", "bonus2x", "bonusAddLine"}) {
            RgbImage line = LoadRgb(std::string("data/") + lang + "/" + name + ".png");
            ASSERT_TRUE(line.Loaded()) << name;
            int top = 64, bottom = -1;
            for (int y = 0; y < 64; ++y) {
                if (KeyPixels(line, 0, y, 256, 1) < 256) {
                    top = std::min(top, y);
                    bottom = y;
                }
            }
            int height = bottom - top + 1;
            lowest = std::min(lowest, height);
            highest = std::max(highest, height);
        }
    }
    EXPECT_LE(highest - lowest, 2) << "ink heights from " << lowest << " to " << highest;
}

// The score screen sways row i (rank i + 1) sideways by up to i + 2 pixels; its text spans x 64 to 604 at
// rest (the picture starts at y 251, rows every 16 pixels from y 302). Each row's bar holds the text
// through its whole sway, and the table's frame stays at least six pixels beyond it.
TEST(GeneratedImages, ScoreScreenBarsHoldEachRowThroughItsSway) {
    for (const char* lang : kLanguages) {
        RgbImage back = LoadRgb(std::string("data/") + lang + "/bottom.png");
        ASSERT_TRUE(back.Loaded());
        for (int i = 0; i < 9; ++i) {
            int y = 302 + 16 * i - 251 + 8;
            int reach = i + 2;
            double bar = back.Luma(320, y);
            for (int x = 64 - reach; x <= 604 + reach; ++x) {
                ASSERT_NEAR(back.Luma(x, y), bar, 3.0) << lang << " row " << i + 1 << " x " << x;
            }
            for (int x = 604 + reach; x < 604 + reach + 6; ++x) {
                EXPECT_LT(back.Luma(x, y), 60.0) << lang << " row " << i + 1 << ": the frame at x " << x;
            }
        }
    }
}

// The name is typed at panel (21, 101) in 16-pixel glyphs, up to 27 characters and the cursor: that
// strip of both name-entry panels is a plain dark field.
TEST(GeneratedImages, NameEntryPanelsLeaveRoomForTheName) {
    for (const char* lang : kLanguages) {
        for (const char* name : {"hiscore", "entry"}) {
            RgbImage panel = LoadRgb(std::string("data/") + lang + "/" + name + ".png");
            ASSERT_TRUE(panel.Loaded()) << name;
            EXPECT_LT(MeanLuma(panel, 21, 101, 28 * 12, 16), 20.0) << lang << " " << name;
        }
    }
}

// The panel has a dark well under each number and a lighter frame around it.
TEST(GeneratedImages, PanelWellsSitWhereTheNumbersAreDrawn) {
    struct Slot {
        int x, y, w, h;
        bool framedLeft;  // the level's points share the score's well, framed on their right only
    };
    const Slot slots[] = {{544, 122, 40, 28, true},
                          {544, 195, 40, 28, true},
                          {586, 264, 40, 7, false},
                          {500, 277, 120, 28, true},
                          {550, 337, 40, 28, true}};
    for (const char* lang : kLanguages) {
        RgbImage panel = LoadRgb(std::string("data/") + lang + "/right.png");
        ASSERT_TRUE(panel.Loaded());
        for (const Slot& s : slots) {
            int x = s.x - 480;
            double maxInside = 0;
            for (int y = s.y; y < s.y + s.h; ++y) {
                for (int i = x; i < x + s.w; ++i) {
                    maxInside = std::max(maxInside, panel.Luma(i, y));
                }
            }
            EXPECT_LT(maxInside, 60.0) << lang << " well at " << s.x << "," << s.y << " is not clear";
            // The frame: a bright line close to the left and right of the slot.
            double left = 0, right = 0;
            for (int d = 1; d <= 12; ++d) {
                left = std::max(left, panel.Luma(x - d, s.y + s.h / 2));
                right = std::max(right, panel.Luma(x + s.w - 1 + d, s.y + s.h / 2));
            }
            if (s.framedLeft) {
                EXPECT_GT(left, 90.0) << lang << " slot " << s.x << "," << s.y;
            }
            EXPECT_GT(right, 90.0) << lang << " slot " << s.x << "," << s.y;
        }
    }
}

// Buttons, footer and title share one backdrop: their touching rows match, so the menu has no seams
// away from the button faces.
TEST(GeneratedImages, MenuStripsJoinWithoutSeams) {
    for (const char* lang : kLanguages) {
        std::string dir = std::string("data/") + lang + "/";
        const char* order[] = {"play", "daily", "scores", "about", "exit", "copyright"};
        RgbImage above = LoadRgb("data/title.png");
        for (const char* name : order) {
            RgbImage below = LoadRgb(dir + name + ".png");
            ASSERT_TRUE(above.Loaded() && below.Loaded()) << name;
            for (int x : {0, 520}) {
                // The step across the seam is no larger than the steps beside it.
                double a2 = MeanLuma(above, x, above.height - 2, 120, 1),
                       a1 = MeanLuma(above, x, above.height - 1, 120, 1);
                double b0 = MeanLuma(below, x, 0, 120, 1), b1 = MeanLuma(below, x, 1, 120, 1);
                EXPECT_LE(std::fabs(a1 - b0), std::max(std::fabs(a2 - a1), std::fabs(b0 - b1)) + 3.0)
                    << lang << " " << name << " x " << x;
            }
            above = below;
        }
    }
}

TEST(GeneratedImages, ButtonsLightUp) {
    for (const char* lang : kLanguages) {
        for (const char* name : {"play", "daily", "scores", "about", "exit"}) {
            std::string dir = std::string("data/") + lang + "/";
            RgbImage plain = LoadRgb(dir + name + ".png"), lit = LoadRgb(dir + "s" + name + ".png");
            ASSERT_TRUE(plain.Loaded() && lit.Loaded());
            EXPECT_GT(MeanLuma(lit, 170, 0, 300, plain.height),
                      MeanLuma(plain, 170, 0, 300, plain.height) + 40)
                << lang << " " << name;
        }
    }
}

}  // namespace

namespace {

// Glyphs are cut out by cell: ink that touched a cell's side would be clipped, or show in the next cell.
void ExpectInkInsideCells(const std::string& path, int cellW, int cells) {
    RgbImage strip = LoadRgb(path);
    ASSERT_TRUE(strip.Loaded()) << path;
    for (int c = 0; c < cells; ++c) {
        for (int y = 0; y < strip.height; ++y) {
            EXPECT_TRUE(strip.IsKey(c * cellW, y)) << path << " cell " << c << " row " << y;
            EXPECT_TRUE(strip.IsKey(c * cellW + cellW - 1, y) || cellW == 8)
                << path << " cell " << c << " row " << y;
        }
    }
}

TEST(GeneratedImages, GlyphInkStaysInsideItsCell) {
    ExpectInkInsideCells("data/font.png", 16, 50);
    ExpectInkInsideCells("data/fontlit.png", 16, 50);
    ExpectInkInsideCells("data/numbers.png", 20, 10);
    ExpectInkInsideCells("data/smallnums.png", 8, 10);
}

}  // namespace

namespace {

// In a 16-bit display format (5-6-5) a very dark colour rounds down to pixel value 0 and would vanish
// like the key; every visible pixel of a keyed image stays clear of that.
TEST(GeneratedImages, KeyedImagesHaveNoVisiblePixelThatRoundsToTheKey) {
    std::vector<std::string> keyed = {"mouse.png",     "font.png",     "fontlit.png", "numbers.png",
                                      "smallnums.png", "scorelit.png", "result.png",  "result1.png"};
    for (const char* name : {"r", "g", "b", "sr", "sg", "sb"}) {
        keyed.push_back(std::string("theme1/") + name + ".png");
        keyed.push_back(std::string("bonus/") + name + ".png");
    }
    for (const char* lang : {"fr", "en"}) {
        for (const char* name :
             {"gameover", "hiscore", "entry", "perfect", "loselevel", "wonlevel", "wongame", "bonus1000",
              "bonus500", "bonus2x", "bonusAddLine", "bonuslife", "5000"}) {
            keyed.push_back(std::string(lang) + "/" + name + ".png");
        }
    }
    for (const std::string& path : keyed) {
        RgbImage image = LoadRgb("data/" + path);
        ASSERT_TRUE(image.Loaded()) << path;
        int bad = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const uint8_t* p = image.At(x, y);
                bool key = p[0] == 0 && p[1] == 0 && p[2] == 0;
                bool roundsToKey = (p[0] >> 3) == 0 && (p[1] >> 2) == 0 && (p[2] >> 3) == 0;
                bad += (!key && roundsToKey) ? 1 : 0;
            }
        }
        EXPECT_EQ(bad, 0) << path;
    }
}

}  // namespace
