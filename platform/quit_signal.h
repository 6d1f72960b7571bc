// The operating system's requests to end the program: SIGTERM (a desktop logout, `kill`) and SIGINT
// (Ctrl+C in a terminal). SDL would turn both into the same quit event as the window's close button,
// which the game treats as "leave this screen"; the game installs its own handlers instead, so a signal
// always ends the whole program and the quit event means the close button alone.
#pragma once

// Turns SDL's own signal handlers off (call before SDL_Init) and installs ours (call again after it,
// in case SDL installed its own anyway). Harmless to call more than once.
void InstallQuitSignalHandlers();

// True once SIGTERM or SIGINT has arrived since the handlers were installed.
bool QuitSignalReceived();
