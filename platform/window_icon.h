// Gives the game window its icon. On Windows the icon is resource 101 of the executable, sent to the
// window found by its caption; elsewhere SDL sets it from the generated image file.
#pragma once

// Returns false when the window or the icon was not found; start-up goes on either way.
bool SetWindowIcon(const char* caption, const char* iconFile);
