// The board's background (480 by 480) and the mouse pointer (32 by 32).
#pragma once

#include "output.h"

void WriteBoardArt(AssetOutput& out);
