// The program's entry: start-up in its fixed order, the main loop, and shut-down in its fixed order.
#pragma once

#include <cstdio>

#include "app/command_line.h"

// The window caption; also the name by which the window is found to set its icon.
inline constexpr const char kWindowCaption[] = "  -=-  Quz v" QUZ_VERSION "  -=-   made by the Quz team";

// Writes the usage text or the version line.
void PrintInfo(InfoRequest request, FILE* out);

// Runs the whole program and returns its exit status: 1 when the command line cannot be followed, the
// data cannot be found, a replay to show is refused, or SDL, the font library or the window cannot
// start, or SDL finds no display and falls back to a driver that shows nothing (with one line on stderr
// saying which), else 0.
int RunQuz(int argc, char** argv);
