/* Preloaded into the real binary by gamepad_play.sh: plugs in one of SDL's virtual controllers (standard
 * layout) at the first presented frame, then works it from a script file the test appends to. Once a
 * frame (at each SDL_RenderPresent) it takes the next whole line, so that SDL sees every change in its
 * own frame:
 *   <button> 1|0     press or release a button by its SDL name (a, b, start, dpup, dpleft, ...)
 *   <axis> <value>   lean an axis by its SDL name (leftx, lefty) to a value from -32768 to 32767
 *   wait <frames>    do nothing for that many frames
 * The file is named by QUZ_PAD_SCRIPT; how many of its bytes have been taken is kept in <script>.at. */
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static SDL_Joystick* pad;
static FILE* script;
static long readUpTo;
static int waitFrames;

static void Plug(void) {
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
    pad = index >= 0 ? SDL_JoystickOpen(index) : NULL;
    if (pad == NULL) {
        fprintf(stderr, "virtual pad: %s\n", SDL_GetError());
    }
}

static void Apply(const char* name, int value) {
    SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name);
    SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(name);
    if (strcmp(name, "wait") == 0) {
        waitFrames = value;
    } else if (button != SDL_CONTROLLER_BUTTON_INVALID) {
        SDL_JoystickSetVirtualButton(pad, button, (Uint8)(value != 0));
    } else if (axis != SDL_CONTROLLER_AXIS_INVALID) {
        SDL_JoystickSetVirtualAxis(pad, axis, (Sint16)value);
    } else {
        fprintf(stderr, "virtual pad: unknown control %s\n", name);
    }
}

/* How far the script has been taken, in bytes, in <script>.at: the test waits on it. */
static void Report(void) {
    char path[4096];
    FILE* out;
    snprintf(path, sizeof path, "%s.at", getenv("QUZ_PAD_SCRIPT"));
    out = fopen(path, "w");
    if (out != NULL) {
        fprintf(out, "%ld\n", readUpTo);
        fclose(out);
    }
}

/* The next whole line of the script, if one has been written since. */
static void Step(void) {
    char line[128];
    char name[64];
    int value = 0;
    if (waitFrames > 0) {
        --waitFrames;
        return;
    }
    if (script == NULL) {
        const char* path = getenv("QUZ_PAD_SCRIPT");
        script = path != NULL ? fopen(path, "r") : NULL;
        if (script == NULL) {
            return;
        }
    }
    clearerr(script);
    fseek(script, readUpTo, SEEK_SET);
    if (fgets(line, sizeof line, script) == NULL || strchr(line, '\n') == NULL) {
        return;
    }
    readUpTo = ftell(script);
    if (sscanf(line, "%63s %d", name, &value) == 2) {
        Apply(name, value);
    }
    Report();
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
    if (pad == NULL) {
        Plug();
        return;
    }
    Step();
}
