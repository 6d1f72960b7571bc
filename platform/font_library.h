// The font library's start and stop. The game draws no text with it (every word is in the generated
// pictures), but starts it as the game always has, so a system where it cannot start is told at once.
// The Windows build goes without it: it would only add FreeType to the zip for nothing drawn.
#pragma once

// True when the library started (always on a build without it).
bool StartFontLibrary();
void StopFontLibrary();
