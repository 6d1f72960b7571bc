// Storage of the high-score table (see high_score_table.h).
#include "app/high_score_table.h"

HighScoreEntries HighScoreTable = {};
HighScoreEntries SavedHighScoreTable = {};

bool ScoreQualifies(int32_t score) {
    return quz::core::ScoreQualifies(HighScoreTable, score);
}

int InsertHighScore(const char* name, int32_t score, int32_t marked) {
    return quz::core::InsertHighScore(HighScoreTable, name, score, marked);
}
