// A modal error dialog that blocks until the player dismisses it. Where no display can show one (the
// dummy video driver of tests and CI, or no X display), it returns at once.
#pragma once

void ShowErrorDialog(const char* caption, const char* text);
