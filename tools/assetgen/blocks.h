// The board's block strips: 20 frames of 32 by 32 side by side, for the three colours and the three
// bonus blocks, plain and lit.
#pragma once

#include "canvas.h"
#include "output.h"

constexpr int kCell = 32;
constexpr int kFrames = 20;

// Paints one plain (kind 0) or bonus (kind 17..19) block of the colour at frame `frame` into the 32 by 32
// cell whose left edge is x0. Used by the strips and by the pictures that show blocks.
void PaintBlock(Canvas& canvas, int x0, int y0, int colour, int bonusKind, int frame, bool lit);
void WriteBlockStrips(AssetOutput& out);
