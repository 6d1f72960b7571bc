// data/wipe0.raw: the 320 by 240 map of thresholds (one byte per 2 by 2 block of the screen) that every
// fade of the game reveals in order.
#pragma once

#include <cstdint>
#include <vector>

#include "output.h"

std::vector<uint8_t> MakeWipeMap();
void WriteWipeMap(AssetOutput& out);
