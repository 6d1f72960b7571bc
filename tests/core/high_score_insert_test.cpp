// Qualification for the high-score table and the insertion of a new entry.
#include <gtest/gtest.h>

#include <cstring>

#include "core/high_score_rules.h"

namespace {

using namespace quz::core;

HighScoreEntries HighScoreTable = {};

bool ScoreQualifies(int32_t score) {
    return quz::core::ScoreQualifies(HighScoreTable, score);
}

int InsertHighScore(const char* name, int32_t score, int32_t marked) {
    return quz::core::InsertHighScore(HighScoreTable, name, score, marked);
}

void FillTable(const int32_t (&scores)[kHighScoreCount]) {
    for (int i = 0; i < kHighScoreCount; ++i) {
        HighScoreEntry& e = HighScoreTable[i];
        memset(e.name, 'x', sizeof e.name);  // no terminator: the insertion must still write a clean name
        e.name[0] = static_cast<char>('a' + i);
        e.score = scores[i];
        e.marked = i % 2;
    }
}

TEST(HighScoreInsert, EqualToTheLowestDoesNotQualify) {
    FillTable({900, 800, 700, 600, 500, 400, 300, 200, 100});
    EXPECT_FALSE(ScoreQualifies(100));
    EXPECT_TRUE(ScoreQualifies(101));
    FillTable({0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(ScoreQualifies(0));
    EXPECT_TRUE(ScoreQualifies(1));
}

TEST(HighScoreInsert, GoesBelowEqualScoresAndPushesTheRestDown) {
    FillTable({900, 800, 700, 700, 500, 400, 300, 200, 100});
    EXPECT_EQ(InsertHighScore("NEW", 700, 0), 4);
    EXPECT_STREQ(HighScoreTable[4].name, "NEW");
    EXPECT_EQ(HighScoreTable[4].score, 700);
    EXPECT_EQ(HighScoreTable[3].name[0], 'd');
    // The old rank 5 (score 500, marked 0) moved down whole; the old rank 9 is gone.
    EXPECT_EQ(HighScoreTable[5].name[0], 'e');
    EXPECT_EQ(HighScoreTable[5].score, 500);
    EXPECT_EQ(HighScoreTable[5].marked, 0);
    EXPECT_EQ(HighScoreTable[8].name[0], 'h');
    EXPECT_EQ(HighScoreTable[8].score, 200);
}

TEST(HighScoreInsert, AtRankOneMovesAllWithTheirMarks) {
    FillTable({900, 800, 700, 600, 500, 400, 300, 200, 100});
    EXPECT_EQ(InsertHighScore("", 1000, 0), 0);
    EXPECT_STREQ(HighScoreTable[0].name, "");
    EXPECT_EQ(HighScoreTable[0].marked, 0);
    for (int i = 1; i < kHighScoreCount; ++i) {
        EXPECT_EQ(HighScoreTable[i].name[0], 'a' + i - 1);
        EXPECT_EQ(HighScoreTable[i].score, 1000 - 100 * i);
        EXPECT_EQ(HighScoreTable[i].marked, (i - 1) % 2);
    }
}

TEST(HighScoreInsert, NoPlaceLeavesTheTableAndLongNamesAreCut) {
    FillTable({900, 800, 700, 600, 500, 400, 300, 200, 100});
    HighScoreEntry before[kHighScoreCount];
    memcpy(before, HighScoreTable, sizeof before);
    EXPECT_EQ(InsertHighScore("LOW", 100, 0), -1);
    EXPECT_EQ(memcmp(before, HighScoreTable, sizeof before), 0);

    char longName[64];
    memset(longName, 'Q', sizeof longName - 1);
    longName[sizeof longName - 1] = '\0';
    EXPECT_EQ(InsertHighScore(longName, 150, 1), 8);
    EXPECT_EQ(strlen(HighScoreTable[8].name), 31u);
    EXPECT_EQ(HighScoreTable[8].marked, 1);
}

}  // namespace
