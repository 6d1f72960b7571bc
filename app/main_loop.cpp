// Main loop (see main_loop.h).
#include "app/main_loop.h"

#include <SDL.h>

#include "app/frame_clock.h"
#include "app/menu.h"
#include "game/game.h"
#include "game/shared_state.h"
#include "platform/frame_limiter.h"
#include "platform/frame_time.h"
#include "platform/input.h"
#include "platform/presentation.h"
#include "platform/quit_signal.h"

AppModeKind AppMode = AppModeKind::InMenu;

namespace {

Menu* currentMenu = nullptr;
Game* currentGame = nullptr;

void RunMenuStep() {
    EnsureMenu();
    if (!MenuStep(currentMenu)) {
        // The Menu faded out with an action and released itself.
        currentMenu = nullptr;
    }
}

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

void RunModeStep(AppModeKind mode) {
    if (mode == AppModeKind::InMenu) {
        RunMenuStep();
    } else if (mode == AppModeKind::InGame) {
        RunGameStep();
    }
}

}  // namespace

void ToggleFullScreen() {
    // The Screen is the same surface in both modes, so nothing drawn for it needs rebuilding; a refused
    // switch keeps the mode we had.
    if (SetPresentationFullScreen(!Shared.fullScreen)) {
        Shared.fullScreen = !Shared.fullScreen;
    }
}

bool RunMainLoopFrame() {
    SDL_ShowCursor(SDL_DISABLE);
    AdvanceFrameClock(Shared.frameClock, FrameTicks());
    CollectInput(Shared.frameClock.deltaMs);
    // A quit signal ends the program from any screen, as F12 does: whatever fade, message or name
    // entry is running, the shut-down follows this frame. Each press counts once, however short or long.
    if (TakeKeyPresses(InputKey::F12) > 0 || QuitSignalReceived()) {
        AppMode = AppModeKind::Quit;
    }
    for (int presses = TakeKeyPresses(InputKey::F9); presses > 0; --presses) {
        ToggleFullScreen();
    }
    AppModeKind mode = AppMode;
    if (mode != AppModeKind::Quit) {
        RunModeStep(mode);
    }
    PresentScreen();
    // One frame per present still; where presenting does not wait for the display, this holds the loop
    // to the display's rate instead of letting it spin.
    frameLimiter.EndFrame();
    return AppMode != AppModeKind::Quit;
}

void RunMainLoop() {
    while (RunMainLoopFrame()) {
    }
}

void EnsureMenu() {
    if (currentMenu == nullptr) {
        currentMenu = CreateMenu();
    }
}

Menu* CurrentMenu() {
    return currentMenu;
}

void ReleaseMainLoopObjects() {
    if (currentMenu != nullptr) {
        ReleaseMenu(currentMenu);
        currentMenu = nullptr;
    }
    DestroyGame(currentGame);
    currentGame = nullptr;
}
