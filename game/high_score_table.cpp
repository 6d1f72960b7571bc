// Storage of the high-score table (see high_score_table.h).
#include "game/high_score_table.h"

HighScoreEntry HighScoreTable[kHighScoreCount] = {};
