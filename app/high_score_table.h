// The table of the nine best scores, kept in memory for the run. Its rules (who earns a place, where an
// entry goes, the file image) are the core's; this is where the run keeps it.
#pragma once

#include <cstdint>

#include "core/high_score_rules.h"

using quz::core::DecodeHighScores;
using quz::core::EncodeHighScores;
using quz::core::HighScoreEntries;
using quz::core::HighScoreEntry;
using quz::core::kHighScoreCount;
using quz::core::kHighScoreFileSize;

// The table this run shows and plays against (the F1 reset on the score screen changes only this one).
extern HighScoreEntries HighScoreTable;
// The table as it stands in the player's file. New entries go into both; kept apart so that F1 never
// reaches the file.
extern HighScoreEntries SavedHighScoreTable;

// True when the score is greater than the score of at least one entry (an equal score does not earn a place).
bool ScoreQualifies(int32_t score);
// The shown table's entry for a new score (see core/high_score_rules.h); the rank index (0..8) or -1.
int InsertHighScore(const char* name, int32_t score, int32_t marked);
using quz::core::InsertHighScore;
