// The leaderboard page's art: the logo as SVG and the palette as CSS custom properties, from the same
// colours as the game's pictures. The page carries them inline (its CSP allows no fetched image).
#pragma once

#include "output.h"

void WriteWebArt(AssetOutput& out);
