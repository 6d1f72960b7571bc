// Quz: a single-player arcade puzzle game.
#include <SDL.h>

#include "app/startup.h"

int main(int argc, char** argv) {
    return RunQuz(argc, argv);
}
