// The generated non-picture data: the wipe map, the language texts, and the generator's determinism.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "asset_files_support.h"

namespace {

TEST(WipeMap, UsesEveryLevelEvenlyAndOpensFromTheCentre) {
    std::vector<uint8_t> map = ReadBytes("data/wipe0.raw");
    ASSERT_EQ(map.size(), 76800u);
    int counts[256] = {};
    for (uint8_t v : map) {
        ++counts[v];
    }
    for (int v = 0; v < 256; ++v) {
        // An even fade: each level uncovers about the same area (76800 / 256 = 300 blocks).
        EXPECT_GE(counts[v], 250) << v;
        EXPECT_LE(counts[v], 350) << v;
    }
    auto at = [&](int i, int j) { return map[size_t(j) * 320 + size_t(i)]; };
    EXPECT_LT(at(160, 120), 16);
    EXPECT_GT(at(0, 0), 200);
    EXPECT_GT(at(319, 239), 200);
    // Structured, not noise: neighbouring blocks are mostly close in value.
    int close = 0;
    for (int j = 0; j < 240; ++j) {
        for (int i = 0; i + 1 < 320; ++i) {
            close += std::abs(at(i, j) - at(i + 1, j)) <= 8 ? 1 : 0;
        }
    }
    EXPECT_GT(close, 240 * 319 * 8 / 10);
}

bool IsFontByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '!' || c == '*' || c == '-';
}

TEST(LanguageTexts, FourLinesOfFontGlyphsThatFitTheScreen) {
    for (const char* lang : {"fr", "en"}) {
        std::vector<uint8_t> bytes = ReadBytes(std::string("data/text_") + lang + ".txt");
        ASSERT_FALSE(bytes.empty()) << lang;
        std::string text(bytes.begin(), bytes.end());
        int lines = 0;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            ASSERT_NE(end, std::string::npos) << lang << ": last line has no terminator";
            std::string line = text.substr(start, end - start);
            ++lines;
            bool hasGlyph = false;
            for (char c : line) {
                EXPECT_TRUE(IsFontByte(c) || c == ' ') << lang << " line " << lines << " has '" << c << "'";
                hasGlyph = hasGlyph || IsFontByte(c);
            }
            EXPECT_TRUE(hasGlyph) << lang << " line " << lines;
            // Drawn from x 0 (the bottom line) with a 12-pixel advance, the line fits the screen.
            EXPECT_LE(line.size() * 12, 640u) << lang << " line " << lines;
            if (lines == 1) {
                // The bottom line keeps clear of both edges of the screen by at least four cells.
                size_t first = line.find_first_not_of(' ');
                EXPECT_GE(first, 4u) << lang;
                EXPECT_LE(line.size() + 4, 640u / 12) << lang;
            }
            start = end + 1;
        }
        EXPECT_EQ(lines, 4) << lang;
    }
}

// Runs the generator as the build does; the font folder is the one the build used.
int RunGenerator(const std::string& outDir) {
    const char* fontDir = std::getenv("QUZ_FONT_DIR");
    std::string command = "tools/assetgen/assetgen '" + outDir + "' '" +
                          std::string(fontDir ? fontDir : "/usr/share/fonts/truetype/dejavu") +
                          "' > /dev/null";
    return std::system(command.c_str());
}

TEST(Generator, TwoRunsWriteTheSameBytesAsTheBuild) {
    namespace fs = std::filesystem;
    fs::path base = fs::temp_directory_path() / ("quz_assets_" + std::to_string(::getpid()));
    fs::remove_all(base);
    ASSERT_EQ(RunGenerator((base / "a").string()), 0);
    ASSERT_EQ(RunGenerator((base / "b").string()), 0);
    std::vector<std::string> files = ListFiles((base / "a").string());
    EXPECT_EQ(files, ListFiles((base / "b").string()));
    EXPECT_GT(files.size(), 75u);
    for (const std::string& f : files) {
        std::vector<uint8_t> a = ReadBytes((base / "a" / f).string());
        EXPECT_EQ(a, ReadBytes((base / "b" / f).string())) << f;
        EXPECT_EQ(a, ReadBytes("data/" + f)) << f << " differs from the build's";
    }
    fs::remove_all(base);
}

}  // namespace
