// Opening files for reading only when they are regular files. A FIFO, a device such as /dev/zero or a
// folder placed where the game expects a data, score or settings file would otherwise block start-up
// forever or feed the readers endless bytes; such a name is treated as a file that is not there.
#pragma once

#include <SDL.h>

#include <cstdio>

// True when path names a regular file (a symbolic link counts by what it points to).
bool IsRegularFile(const char* path);

// Opens path for reading (mode "rb", or "r" for text) when it is a regular file, without ever blocking
// on the open; null otherwise (missing, unreadable, not a regular file).
FILE* OpenRegularFile(const char* path, const char* mode = "rb");

// The same, as an SDL read stream that closes the file when the stream is closed.
SDL_RWops* OpenRegularFileStream(const char* path);

// An image read with SDL_image from a regular file only; null (with SDL's error set) otherwise.
SDL_Surface* LoadRegularImage(const char* path);
