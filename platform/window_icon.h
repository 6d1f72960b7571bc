// Gives the game window its icon. On Windows the icon is resource 101 of the executable (the one the
// desktop shows for the file), sent to the window itself; elsewhere SDL sets it from the generated image.
#pragma once

#include <SDL.h>

// Returns false when there is no window or the icon was not found; start-up goes on either way.
bool SetWindowIcon(SDL_Window* window, const char* iconFile);
