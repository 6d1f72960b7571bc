// Main loop (see main_loop.h).
#include "app/main_loop.h"

#include <SDL.h>

#include "app/frame_clock.h"
#include "game/game.h"
#include "game/shared_state.h"
#include "platform/input.h"

namespace {

SDL_Cursor* blankCursor = nullptr;
SDL_Cursor* systemCursor = nullptr;  // restored before the blank one is freed: SDL keeps a cursor in use
Game* currentGame = nullptr;

// A game starts in the first game-mode frame and is torn down in the frame its session ends.
void RunGameStep() {
    if (currentGame == nullptr) {
        currentGame = CreateGame();
    }
    const bool goOn = currentGame->PlayFrame();
    AppMode = goOn ? AppModeKind::InGame : AppModeKind::InMenu;
    if (!goOn) {
        DestroyGame(currentGame);
        currentGame = nullptr;
    }
}

// Until the menu takes its place, each menu frame shows a black Screen.
void RunModeStep(AppModeKind mode) {
    if (mode == AppModeKind::InMenu) {
        SDL_FillRect(screen, nullptr, 0);
    } else if (mode == AppModeKind::InGame) {
        RunGameStep();
    }
}

}  // namespace

void ToggleFullScreen() {
    SDL_Surface* next = nullptr;
    if (fullScreen) {
        next = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 0, SDL_ANYFORMAT);
    } else {
        next = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32,
                                SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_ANYFORMAT | SDL_FULLSCREEN);
    }
    if (next == nullptr) {
        // The rest of the program needs a valid Screen: stay in (or go back to) the mode we had.
        Uint32 flags = fullScreen ? SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_ANYFORMAT | SDL_FULLSCREEN : SDL_ANYFORMAT;
        next = SDL_SetVideoMode(kScreenWidth, kScreenHeight, fullScreen ? 32 : 0, flags);
        if (next == nullptr) {
            return;
        }
    } else {
        fullScreen = !fullScreen;
    }
    screen = next;
    // A blank system cursor avoids a flash of the desktop pointer before the next frame hides it.
    static Uint8 blank[8] = {};
    if (blankCursor == nullptr) {
        systemCursor = SDL_GetCursor();
        blankCursor = SDL_CreateCursor(blank, blank, 8, 8, 0, 0);
    }
    SDL_ShowCursor(1);
    if (blankCursor != nullptr) {
        SDL_SetCursor(blankCursor);
    }
}

bool RunMainLoopFrame() {
    SDL_ShowCursor(0);
    SDL_PumpEvents();
    const Uint8* keys = GetHeldKeys();
    if (keys[SDLK_F12]) {
        AppMode = AppModeKind::Quit;
    }
    if (keys[SDLK_F9]) {
        ToggleFullScreen();
    }
    AdvanceFrameClock(FrameClock, SDL_GetTicks());
    AppModeKind mode = AppMode;
    if (mode != AppModeKind::Quit) {
        RunModeStep(mode);
    }
    SDL_Flip(screen);
    return AppMode != AppModeKind::Quit;
}

void RunMainLoop() {
    while (RunMainLoopFrame()) {
    }
}

void ReleaseMainLoopObjects() {
    DestroyGame(currentGame);
    currentGame = nullptr;
    if (blankCursor != nullptr) {
        if (SDL_GetCursor() == blankCursor && systemCursor != nullptr) {
            SDL_SetCursor(systemCursor);
        }
        SDL_FreeCursor(blankCursor);
        blankCursor = nullptr;
        systemCursor = nullptr;
    }
}
