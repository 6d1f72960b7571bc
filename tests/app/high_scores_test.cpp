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
    // The default name takes 21 bytes; the rest of each field keeps what it held.
    EXPECT_EQ(static_cast<unsigned char>(HighScoreTable[4].name[21]), 0x5A);
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

TEST_F(HighScoresTest, NewScoresFindTheirPlaceInALoadedTable) {
    // The default table: a 1 ties the last entry and earns nothing; a 5 goes below the stored 5.
    LoadHighScores("no_such_scores.vek");
    EXPECT_FALSE(ScoreQualifies(1));
    EXPECT_TRUE(ScoreQualifies(2));
    EXPECT_EQ(InsertHighScore("ANNE", 5, 1), 5);
    EXPECT_EQ(HighScoreTable[4].score, 5);
    EXPECT_STREQ(HighScoreTable[4].name, kDefaultName);
    EXPECT_EQ(HighScoreTable[5].marked, 1);
    EXPECT_EQ(HighScoreTable[8].score, 2);

    // A short file: its zeroed ranks are beaten by any positive score.
    Write(Entry(std::string(32, 'W'), 500, 0));
    LoadHighScores(kTestFile);
    EXPECT_TRUE(ScoreQualifies(1));
    EXPECT_FALSE(ScoreQualifies(0));
    EXPECT_EQ(InsertHighScore("BOB", 900, 0), 0);
    EXPECT_EQ(InsertHighScore("CY", 1, 0), 2);
    // The unterminated name moved down whole and is still drawn as its 32 bytes.
    char text[33];
    HighScoreNameText(HighScoreTable[1], text);
    EXPECT_EQ(std::string(text), std::string(32, 'W'));
    EXPECT_EQ(HighScoreTable[1].score, 500);
    EXPECT_EQ(HighScoreTable[3].score, 0);
}

TEST(HighScoreWaveTest, RowsSwayWithinTheirReachCutTowardZero) {
    int widest[kHighScoreCount] = {};
    for (int32_t ms = 0; ms < 20000; ms += 7) {
        for (int row = 0; row < kHighScoreCount; ++row) {
            widest[row] = std::max(widest[row], std::abs(HighScoreWaveOffset(ms, row)));
        }
    }
    EXPECT_EQ(widest[0], 1);  // 2 * sin never quite reaches 2
    EXPECT_EQ(widest[8], 9);
    EXPECT_EQ(HighScoreWaveOffset(0, 5), 5);      // sin(1) * 7
    EXPECT_EQ(HighScoreWaveOffset(1414, 0), -1);  // -1.99...: one pixel left, not two
}

}  // namespace
