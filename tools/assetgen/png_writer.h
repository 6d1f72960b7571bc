// Writes a Canvas as an 8-bit PNG. Keyed images are those the game loads with colour key 0: their
// uncovered pixels become pure black and no covered pixel may come out as black. Images for the desktop
// (the application icons) keep the canvas coverage as an alpha channel instead.
#pragma once

#include <string>

#include "canvas.h"
#include "output.h"

enum class KeyMode { Opaque, BlackIsTransparent, Alpha };

void WritePng(AssetOutput& out, const std::string& relativePath, const Canvas& canvas, KeyMode mode);
