// Writes a Canvas as an 8-bit RGB PNG. Keyed images are those the game loads with colour key 0: their
// uncovered pixels become pure black and no covered pixel may come out as black.
#pragma once

#include <string>

#include "canvas.h"
#include "output.h"

enum class KeyMode { Opaque, BlackIsTransparent };

void WritePng(AssetOutput& out, const std::string& relativePath, const Canvas& canvas, KeyMode mode);
