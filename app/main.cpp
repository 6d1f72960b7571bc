// Quz: a single-player arcade puzzle game.
#include <SDL.h>

#include "app/startup.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv) {
    // A Windows program started from the desktop has no console: its messages go to files instead.
    RedirectStandardStreams();
    return RunQuz(argc, argv);
}
