// Where the high-score table comes from and where it goes: the player's saved table under the user data
// folder (written after every new entry), else the read-only "scores.vek" of the starting folder, else the
// defaults.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/high_score_table.h"
#include "platform/user_files.h"

inline constexpr const char kScoresFileName[] = "scores.vek";

// Fills HighScoreTable from a scores file as older runs and players leave it: up to 360 raw bytes, a short
// file leaving the rest of the table zero, anything past 360 bytes ignored, nothing checked. With no
// readable file, the default table.
void LoadHighScores(const char* path = kScoresFileName);
// The same from a file's bytes: the first 360 of size bytes fill the shown table, a short image zeroes
// the rest.
void DecodeHighScores(const unsigned char* bytes, size_t size);

// Nine rows of the default name with the scores 9 down to 1, unmarked, in the shown table only.
void ResetHighScores();

// Loads both tables at start-up. The player's file "<userFolder>/scores.vek" wins when it holds exactly
// 360 bytes. One of another size, or that is no regular file or cannot be read, is moved aside
// ("scores.vek.bad") with a line on stderr, and the table comes from startingFile as LoadHighScores reads
// it. A null userFolder means there is nowhere to save: the tables still load, and nothing is written.
void LoadHighScoreTables(const char* userFolder, const char* startingFile = kScoresFileName);

// The player's file, or "" when there is none this run.
const char* SavedHighScoresPath();

// Writes SavedHighScoreTable to the player's file atomically, creating its folder. A failure leaves the
// old file whole and is reported on stderr; false then, and also when there is no file to write this run
// (no user folder, or a damaged file that could not be moved aside and so must not be written over).
bool SaveHighScoreTable(const FileWriteSteps& steps = SystemFileWriteSteps());

// A confirmed name: the entry goes into the shown table and into the saved one, which is written at once
// when it changed. The row it took in the shown table (0 for rank 1), or -1.
int RecordHighScore(const char* name, int32_t score, int32_t marked);
