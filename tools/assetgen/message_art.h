// The game's messages, per language: level-end panels (380 by 128) and announcement lines (256 by 64),
// drawn with colour key 0 so their pure black surroundings vanish over the board; and the pause screen
// (480 by 480, opaque), which covers the board.
#pragma once

#include "language.h"
#include "output.h"

void WriteMessages(AssetOutput& out, const LanguageWords& words);
