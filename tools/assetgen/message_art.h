// The game's messages: level-end panels (380 by 128) and announcement lines (256 by 64), per language.
// All are drawn with colour key 0, so their pure black surroundings vanish over the board.
#pragma once

#include "language.h"
#include "output.h"

void WriteMessages(AssetOutput& out, const LanguageWords& words);
