// The scores file as players and older runs leave it: missing, short, full, too long, or with a name
// that fills its whole field; and the score screen's rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/high_scores.h"

namespace {

constexpr char kTestFile[] = "scores_test.vek";
constexpr char kDefaultName[] = ".V.E.K. QUZ . RUZO .";

std::string Entry(const std::string& name, int32_t score, int32_t marked) {
    std::string bytes(40, '\0');
    memcpy(bytes.data(), name.data(), std::min<size_t>(name.size(), 32));
    for (int b = 0; b < 4; ++b) {
        bytes[32 + b] = static_cast<char>((static_cast<uint32_t>(score) >> (8 * b)) & 0xFF);
        bytes[36 + b] = static_cast<char>((static_cast<uint32_t>(marked) >> (8 * b)) & 0xFF);
    }
    return bytes;
}

class HighScoresTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Garbage first, so a test sees what the load itself wrote.
        memset(HighScoreTable, 0x5A, sizeof HighScoreTable);
    }
    void TearDown() override { remove(kTestFile); }
    static void Write(const std::string& bytes) {
        FILE* file = fopen(kTestFile, "wb");
        ASSERT_NE(file, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
};

TEST_F(HighScoresTest, NoFileGivesTheDefaultTable) {
    LoadHighScores("no_such_scores.vek");
    for (int i = 0; i < kHighScoreCount; ++i) {
        EXPECT_STREQ(HighScoreTable[i].name, kDefaultName);
        EXPECT_EQ(HighScoreTable[i].score, 9 - i);
        EXPECT_EQ(HighScoreTable[i].marked, 0);
    }
}

TEST_F(HighScoresTest, ResetWritesOnlyTheNameAndItsTerminator) {
    ResetHighScores();
    // The default name takes 21 bytes; the rest of each field keeps what it held.
    EXPECT_EQ(HighScoreTable[4].name[20], '\0');
    EXPECT_EQ(static_cast<unsigned char>(HighScoreTable[4].name[21]), 0x5A);
    EXPECT_EQ(HighScoreTable[8].score, 1);
}

TEST_F(HighScoresTest, FortyBytesFillRankOneAndZeroTheRest) {
    Write(Entry("ANNE", 123456, 1));
    LoadHighScores(kTestFile);
    EXPECT_STREQ(HighScoreTable[0].name, "ANNE");
    EXPECT_EQ(HighScoreTable[0].score, 123456);
    EXPECT_EQ(HighScoreTable[0].marked, 1);
    for (int i = 1; i < kHighScoreCount; ++i) {
        EXPECT_STREQ(HighScoreTable[i].name, "");
        EXPECT_EQ(HighScoreTable[i].score, 0);
        EXPECT_EQ(HighScoreTable[i].marked, 0);
    }
}

TEST_F(HighScoresTest, AFullFileIsTakenAsStoredAndExtraBytesAreIgnored) {
    std::string bytes;
    for (int i = 0; i < kHighScoreCount; ++i) {
        // Out of order and negative on purpose: nothing is checked.
        bytes += Entry("P" + std::to_string(i), i == 3 ? -42 : 1000 * i, i % 2);
    }
    Write(bytes);
    LoadHighScores(kTestFile);
    EXPECT_STREQ(HighScoreTable[8].name, "P8");
    EXPECT_EQ(HighScoreTable[8].score, 8000);
    EXPECT_EQ(HighScoreTable[3].score, -42);
    EXPECT_EQ(HighScoreTable[7].marked, 1);

    Write(bytes + Entry("EXTRA", 99, 1) + "tail");
    memset(HighScoreTable, 0x5A, sizeof HighScoreTable);
    LoadHighScores(kTestFile);
    EXPECT_STREQ(HighScoreTable[8].name, "P8");
    EXPECT_EQ(HighScoreTable[0].score, 0);
}

TEST_F(HighScoresTest, ANameFillingItsFieldIsDrawnAsItsThirtyTwoBytes) {
    Write(Entry(std::string(32, 'W'), 7, 0));
    LoadHighScores(kTestFile);
    char text[33];
    HighScoreNameText(HighScoreTable[0], text);
    EXPECT_EQ(std::string(text), std::string(32, 'W'));
    HighScoreNameText(HighScoreTable[1], text);
    EXPECT_STREQ(text, "");
}

TEST(HighScoreWaveTest, EachRowSwaysWithinItsOwnReach) {
    int widest[kHighScoreCount] = {};
    for (int32_t ms = 0; ms < 20000; ms += 7) {
        for (int row = 0; row < kHighScoreCount; ++row) {
            int dx = HighScoreWaveOffset(ms, row);
            widest[row] = std::max(widest[row], std::abs(dx));
        }
    }
    EXPECT_EQ(widest[0], 1);  // cut toward zero, so 2 is never quite reached
    EXPECT_EQ(widest[8], 9);
    EXPECT_EQ(HighScoreWaveOffset(0, 0), 0);
    EXPECT_EQ(HighScoreWaveOffset(0, 5), 5);  // sin(1) * 7
    // Cut toward zero on the left too: 2 * sin(3 pi / 2) is -1.99..., drawn 1 pixel left, not 2.
    EXPECT_EQ(HighScoreWaveOffset(1414, 0), -1);
}

}  // namespace
