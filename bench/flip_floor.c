/* The floor of the presentation benchmark: a bare SDL2 program that only fills a 640 by 480 picture and
 * presents it the way the game does (a streaming texture through a renderer with a 640 by 480 logical
 * size), held to 60 frames a second by SDL_Delay. Whatever it costs is the price of getting a frame on
 * screen on this machine's path, with no game in it. Arguments: seconds to run (default 30), then
 * "-fullscreen" for a full screen. The renderer follows SDL's own variables (SDL_RENDER_DRIVER...). */
#include <SDL.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    int seconds = argc > 1 ? atoi(argv[1]) : 30;
    int full = argc > 2 && strcmp(argv[2], "-fullscreen") == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("flip floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                                          full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    SDL_Renderer* renderer = window != NULL ? SDL_CreateRenderer(window, -1, 0) : NULL;
    SDL_Texture* texture = NULL;
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_XRGB8888);
    if (renderer != NULL && SDL_RenderSetLogicalSize(renderer, 640, 480) == 0) {
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_XRGB8888, SDL_TEXTUREACCESS_STREAMING, 640, 480);
    }
    if (texture == NULL || picture == NULL) {
        SDL_Quit();
        return 1;
    }
    Uint32 start = SDL_GetTicks();
    Uint32 frames = 0;
    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        Uint32 shade = frames % 256;
        SDL_FillRect(picture, NULL, SDL_MapRGB(picture->format, (Uint8)shade, 64, (Uint8)(255 - shade)));
        SDL_UpdateTexture(texture, NULL, picture->pixels, picture->pitch);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, NULL, NULL);
        SDL_RenderPresent(renderer);
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
    SDL_FreeSurface(picture);
    SDL_Quit();
    return 0;
}
