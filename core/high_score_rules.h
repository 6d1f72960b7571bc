// The high-score table's rules, apart from where the table is kept: who earns a place, where a new entry
// goes, and the table's file image (nine 40-byte entries, integers little-endian).
#pragma once

#include <cstdint>

namespace quz::core {

struct HighScoreEntry {
    char name[32];  // NUL-terminated when written by the game; a loaded file may fill all 32 bytes
    int32_t score;
    int32_t marked;  // nonzero: a "-" is drawn before the name
};
static_assert(sizeof(HighScoreEntry) == 40, "the scores file holds 40-byte entries");

inline constexpr int kHighScoreCount = 9;
inline constexpr int kHighScoreFileSize = kHighScoreCount * static_cast<int>(sizeof(HighScoreEntry));

using HighScoreEntries = HighScoreEntry[kHighScoreCount];

// The lowest score of the table: a score above it earns a place (an equal score does not).
int32_t TableFloor(const HighScoreEntries& table);
bool ScoreQualifies(const HighScoreEntries& table, int32_t score);
// Puts the entry above the first one with a lower score, moving the rest down (rank 9 drops out). A
// score lower than or equal to every entry leaves the table unchanged. Returns the rank index (0..8) or -1.
int InsertHighScore(HighScoreEntries& table, const char* name, int32_t score, int32_t marked);

// The file image of a table: each entry's 32 name bytes as they are, then score and mark little-endian.
void EncodeHighScores(const HighScoreEntries& table, unsigned char (&image)[kHighScoreFileSize]);
void DecodeHighScores(const unsigned char (&image)[kHighScoreFileSize], HighScoreEntries& table);

}  // namespace quz::core
