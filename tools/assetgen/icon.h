// The window icon: a 32 by 32 picture of three blocks.
#pragma once

#include "output.h"

void WriteIcon(AssetOutput& out);
