// The high-score table's life in the shell: loading it from "scores.vek" at start-up, the default table,
// and the score screen's rows drawn over the menu.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>

#include "game/high_score_table.h"

inline constexpr const char kScoresFileName[] = "scores.vek";

// Fills HighScoreTable from the scores file: up to 360 raw bytes, a short file leaving the rest of the
// table zero, anything past 360 bytes ignored. With no file, the default table. Nothing is checked: the
// file is taken as stored.
void LoadHighScores(const char* path = kScoresFileName);
// The same from the file's bytes: the first 360 of size bytes fill the table, a short image zeroes the
// rest.
void DecodeHighScores(const unsigned char* bytes, size_t size);

// Nine rows of the default name with the scores 9 down to 1, unmarked.
void ResetHighScores();

// Draws the headings, the nine swaying rows and the bottom line of the score screen into target.
void DrawHighScores(SDL_Surface* target, SDL_Surface* fontImage);

// How far row `row` (0 for rank 1) sways at totalMs: at most row + 2 pixels either way.
int HighScoreWaveOffset(int32_t totalMs, int row);

// The entry's name as a terminated text; a stored name that fills its 32 bytes is taken whole and
// nothing past the field is read.
void HighScoreNameText(const HighScoreEntry& entry, char (&text)[sizeof(HighScoreEntry::name) + 1]);
