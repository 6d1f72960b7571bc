// The program's entry: start-up in its fixed order, the main loop, and shut-down in its fixed order.
#pragma once

#include <cstdio>

// The window caption; also the name by which the window is found to set its icon.
inline constexpr const char kWindowCaption[] = "  -=-  Quz v1.1  -=-   made by the Quz team";

// Applies the command line to fullScreen: only a first argument of exactly "-windowed" clears it.
bool FullScreenFromArguments(int argc, char** argv);

// "--help" or "--version" as the first argument asks for information instead of a game.
enum class InfoRequest { None, Help, Version };
InfoRequest InfoRequestFromArguments(int argc, char** argv);
// Writes the usage text or the version line.
void PrintInfo(InfoRequest request, FILE* out);

// Runs the whole program and returns its exit status: 1 when the data cannot be found, or when SDL, the
// font library or the window cannot start, or when SDL finds no display and falls back to a driver that
// shows nothing (with one line on stderr saying which), else 0.
int RunQuz(int argc, char** argv);
