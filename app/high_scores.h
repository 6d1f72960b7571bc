// The high-score table on the menu's score screen: its rows drawn over the menu. Loading, saving and the
// default table are in app/high_score_file.h.
#pragma once

// The score screen's bottom line: its 16-pixel glyphs end 8 pixels above the window's bottom edge.
inline constexpr int kScoreScreenBottomLineY = 480 - 8 - 16;

#include <SDL.h>

#include <cstdint>

#include "app/high_score_file.h"
#include "app/high_score_table.h"

// A row of the table drawn lit: on a bar of its own, in the lit letters.
struct HighScoreHighlight {
    int row = -1;  // 0 for rank 1; -1 for none
    SDL_Surface* fontImage = nullptr;
    SDL_Surface* barImage = nullptr;
};

// Draws the headings, the nine swaying rows and the bottom line of the score screen into target.
void DrawHighScores(SDL_Surface* target, SDL_Surface* fontImage, const HighScoreHighlight& lit = {});

// Where the lit row's bar goes: from x 36, two pixels above the row's letters.
inline constexpr int kLitRowBarX = 36;
inline constexpr int kLitRowBarWidth = 588;
inline constexpr int kLitRowBarHeight = 20;

// How far row `row` (0 for rank 1) sways at totalMs: at most row + 2 pixels either way.
int HighScoreWaveOffset(int32_t totalMs, int row);

// The entry's name as a terminated text; a stored name that fills its 32 bytes is taken whole and
// nothing past the field is read.
void HighScoreNameText(const HighScoreEntry& entry, char (&text)[sizeof(HighScoreEntry::name) + 1]);
