/* Frame probe for the presentation benchmark: preloaded into the game (or the floor program), it wraps
 * SDL_RenderPresent and writes one line per frame, "<monotonic microseconds after the flip> <images loaded in
 * that frame>", to the file named by QUZ_FRAME_PROBE_OUT. The game itself carries no timing hook; the
 * script reads frame rate and frame-time spread from this file, and leaves out the frames that loaded
 * images (menu and level set-up), whose length is loading, not presentation. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef struct SDL_Surface SDL_Surface;
typedef struct SDL_Renderer SDL_Renderer;

static FILE* probeOut;
static int probeOpened;
static int imagesThisFrame;

static void Record(void) {
    struct timespec now;
    if (!probeOpened) {
        const char* path = getenv("QUZ_FRAME_PROBE_OUT");
        probeOpened = 1;
        probeOut = path != NULL ? fopen(path, "w") : NULL;
    }
    if (probeOut == NULL) {
        return;
    }
    clock_gettime(CLOCK_MONOTONIC, &now);
    fprintf(probeOut, "%lld %d\n", (long long)now.tv_sec * 1000000LL + now.tv_nsec / 1000, imagesThisFrame);
    /* The script counts lines while the program runs, and the program may be killed. */
    fflush(probeOut);
    imagesThisFrame = 0;
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    static void (*realPresent)(SDL_Renderer*);
    if (realPresent == NULL) {
        realPresent = (void (*)(SDL_Renderer*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
        if (realPresent == NULL) {
            return;
        }
    }
    realPresent(renderer);
    Record();
}

SDL_Surface* IMG_Load(const char* file) {
    static SDL_Surface* (*realLoad)(const char*);
    if (realLoad == NULL) {
        realLoad = (SDL_Surface * (*)(const char*)) dlsym(RTLD_NEXT, "IMG_Load");
        if (realLoad == NULL) {
            return NULL;
        }
    }
    ++imagesThisFrame;
    return realLoad(file);
}

/* The game opens its image files itself and hands SDL_image a stream. */
SDL_Surface* IMG_Load_RW(void* stream, int freeStream) {
    static SDL_Surface* (*realLoad)(void*, int);
    if (realLoad == NULL) {
        realLoad = (SDL_Surface * (*)(void*, int)) dlsym(RTLD_NEXT, "IMG_Load_RW");
        if (realLoad == NULL) {
            return NULL;
        }
    }
    ++imagesThisFrame;
    return realLoad(stream, freeStream);
}
