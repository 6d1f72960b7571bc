/* The floor of the presentation benchmark: a bare SDL 1.2 program that only fills the 640 by 480 screen
 * and flips it, held to 60 frames a second by SDL_Delay. Whatever it costs is the price of getting a
 * frame on screen on this machine's path, with no game in it. Arguments: seconds to run (default 30),
 * then "-fullscreen" for a full screen. */
#include <SDL.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    int seconds = argc > 1 ? atoi(argv[1]) : 30;
    int full = argc > 2 && strcmp(argv[2], "-fullscreen") == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF | (full ? SDL_FULLSCREEN : 0);
    SDL_Surface* screen = SDL_SetVideoMode(640, 480, 32, flags);
    if (screen == NULL) {
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption("flip floor", NULL);
    Uint32 start = SDL_GetTicks();
    Uint32 frames = 0;
    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        Uint32 shade = frames % 256;
        SDL_FillRect(screen, NULL, SDL_MapRGB(screen->format, (Uint8)shade, 64, (Uint8)(255 - shade)));
        SDL_Flip(screen);
        ++frames;
        Uint32 now = SDL_GetTicks();
        if (now - start >= (Uint32)seconds * 1000u) {
            break;
        }
        /* Frame n is due at start + n * 1000 / 60 ms: no drift, whatever each sleep overshoots. */
        Uint32 due = start + (Uint32)((frames * 1000ull) / 60u);
        if (due > now) {
            SDL_Delay(due - now);
        }
    }
    SDL_Quit();
    return 0;
}
