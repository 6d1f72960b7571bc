// The high-score table on the menu's score screen: its rows drawn over the menu. Loading, saving and the
// default table are in app/high_score_file.h.
#pragma once

// The score screen's bottom line: its 16-pixel glyphs end 8 pixels above the window's bottom edge.
inline constexpr int kScoreScreenBottomLineY = 480 - 8 - 16;

#include <SDL.h>

#include <cstdint>

#include "app/high_score_file.h"
#include "app/high_score_table.h"

// Draws the headings, the nine swaying rows and the bottom line of the score screen into target.
void DrawHighScores(SDL_Surface* target, SDL_Surface* fontImage);

// How far row `row` (0 for rank 1) sways at totalMs: at most row + 2 pixels either way.
int HighScoreWaveOffset(int32_t totalMs, int row);

// The entry's name as a terminated text; a stored name that fills its 32 bytes is taken whole and
// nothing past the field is read.
void HighScoreNameText(const HighScoreEntry& entry, char (&text)[sizeof(HighScoreEntry::name) + 1]);
