// The table of the nine best scores, kept in memory for the run. Its bytes are exactly those of the
// scores file: nine 40-byte entries, integers little-endian.
#pragma once

#include <cstdint>

struct HighScoreEntry {
    char name[32];  // NUL-terminated when written by the game; a loaded file may fill all 32 bytes
    int32_t score;
    int32_t marked;  // nonzero: a "-" is drawn before the name
};
static_assert(sizeof(HighScoreEntry) == 40, "the scores file holds 40-byte entries");

inline constexpr int kHighScoreCount = 9;
inline constexpr int kHighScoreFileSize = kHighScoreCount * static_cast<int>(sizeof(HighScoreEntry));

using HighScoreEntries = HighScoreEntry[kHighScoreCount];

// The table this run shows and plays against (the F1 reset on the score screen changes only this one).
extern HighScoreEntries HighScoreTable;
// The table as it stands in the player's file. New entries go into both; kept apart so that F1 never
// reaches the file.
extern HighScoreEntries SavedHighScoreTable;

// True when the score is greater than the score of at least one entry (an equal score does not earn a place).
bool ScoreQualifies(int32_t score);
// Puts the entry above the first one with a lower score, moving the rest down (rank 9 drops out). A
// score lower than or equal to every entry leaves the table unchanged. Returns the rank index (0..8) or -1.
int InsertHighScore(const char* name, int32_t score, int32_t marked);
int InsertHighScore(HighScoreEntries& table, const char* name, int32_t score, int32_t marked);

// The file image of a table: each entry's 32 name bytes as they are, then score and mark little-endian.
void EncodeHighScores(const HighScoreEntries& table, unsigned char (&image)[kHighScoreFileSize]);
void DecodeHighScores(const unsigned char (&image)[kHighScoreFileSize], HighScoreEntries& table);
