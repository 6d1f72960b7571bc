// Storage of the high-score table and the placing of a new entry (see high_score_table.h).
#include "game/high_score_table.h"

#include <cstring>

#include "platform/text.h"

HighScoreEntry HighScoreTable[kHighScoreCount] = {};

bool ScoreQualifies(int32_t score) {
    for (const HighScoreEntry& entry : HighScoreTable) {
        if (score > entry.score) {
            return true;
        }
    }
    return false;
}

int InsertHighScore(const char* name, int32_t score, int32_t marked) {
    for (int rank = 0; rank < kHighScoreCount; ++rank) {
        if (HighScoreTable[rank].score < score) {
            memmove(&HighScoreTable[rank + 1], &HighScoreTable[rank],
                    sizeof(HighScoreEntry) * static_cast<size_t>(kHighScoreCount - 1 - rank));
            HighScoreEntry& entry = HighScoreTable[rank];
            memset(entry.name, 0, sizeof entry.name);
            CopyText(entry.name, name);
            entry.score = score;
            entry.marked = marked;
            return rank;
        }
    }
    return -1;
}
