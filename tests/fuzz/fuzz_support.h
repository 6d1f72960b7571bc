// Shared by the fuzz targets: a private scratch folder that becomes the working directory (readers take
// relative paths), and software surfaces at every depth the drawing code supports.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Makes a fresh folder under the system's temporary folder, changes into it once per process and
// removes it at exit.
void EnterFuzzScratchFolder();

// Writes bytes to path (relative to the working directory); false on failure.
bool WriteFuzzFile(const char* path, const uint8_t* bytes, size_t size);

// Pixel layouts of the software Screen: 8-bit palette, 15-bit 5-5-5, 16-bit 5-5-5 with red shift 10,
// 16-bit 5-6-5, 24-bit and 32-bit.
inline constexpr int kFuzzDepthCount = 6;
// A new software surface of width by height in layout `depth` (0 to kFuzzDepthCount - 1), or null.
SDL_Surface* MakeFuzzSurface(int depth, int width, int height);
