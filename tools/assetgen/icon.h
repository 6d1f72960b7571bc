// The game's icon, three blocks of the board's colours with their symbols: the 32 by 32 window icon in
// data/, and the desktop's application icons in every size of the hicolor theme.
#pragma once

#include <string>

#include "canvas.h"
#include "output.h"

void WriteIcon(AssetOutput& out);

// The sizes of the application icons, in pixels.
inline constexpr int kAppIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// Paints the application icon on a transparent size by size canvas.
Canvas PaintAppIcon(int size);
// Writes hicolor/<n>x<n>/apps/quz.png for every size (out's root is the icons folder).
void WriteAppIcons(AssetOutput& out);
