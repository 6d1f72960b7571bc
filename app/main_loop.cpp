// Main loop (see main_loop.h).
#include "app/main_loop.h"

#include <SDL.h>

#include <cstdint>

#include "app/daily_game.h"
#include "app/end_of_game.h"
#include "app/frame_clock.h"
#include "app/menu.h"
#include "app/replay_keeper.h"
#include "game/game.h"
#include "app/high_score_table.h"
#include "game/random_stream.h"
#include "game/shared_state.h"
#include "net/score_client.h"
#include "platform/frame_limiter.h"
#include "platform/frame_time.h"
#include "platform/input.h"
#include "platform/quit_signal.h"

AppModeKind AppMode = AppModeKind::InMenu;

namespace {

SDL_Cursor* blankCursor = nullptr;
SDL_Cursor* systemCursor = nullptr;  // restored before the blank one is freed: SDL keeps a cursor in use
Menu* currentMenu = nullptr;
Game* currentGame = nullptr;

void RunMenuStep() {
    EnsureMenu();
    if (!MenuStep(currentMenu)) {
        // The Menu faded out with an action and released itself.
        currentMenu = nullptr;
    }
}

// A new game's seed, and the table it plays against: its score is entered when it beats the lowest entry.
// The board of the day has the day's seed, and every one of its games is entered (under a name, for
// the server's board; the player's table keeps only its own games and what qualifies).
SessionSettings NewGameSettings(const quz::core::CivilDate* day) {
    const bool daily = day != nullptr;
    SessionSettings settings;
    settings.seed =
        daily ? quz::core::DailySeed(*day) : static_cast<uint64_t>(ClockSeed(1)) << 32 | ClockSeed(4);
    // A game that goes to the server with its replay is entered whatever its score, as the day's are.
    const bool submitted = scoreSubmitUrl[0] != '\0';
    settings.tableFloor = daily || submitted ? INT32_MIN : quz::core::TableFloor(HighScoreTable);
    settings.decorationSeed = ClockSeed(2);
    return settings;
}

// A game starts in the first game-mode frame and is torn down in the frame its session ends.
void RunGameStep(AppModeKind mode) {
    if (currentGame == nullptr) {
        if (mode == AppModeKind::InDailyGame) {
            const quz::core::CivilDate today = TodayUtc();
            currentGame = CreateGame(NewGameSettings(&today), quz::core::DailyMode(today).c_str());
        } else {
            currentGame = CreateGame(NewGameSettings(nullptr));
        }
    }
    const bool goOn = currentGame->PlayFrame();
    if (currentGame->TakeNameConfirmed()) {
        SendConfirmedGame(*currentGame);
    }
    AppMode = goOn ? mode : AppModeKind::InMenu;
    if (!goOn) {
        KeepGameReplay(*currentGame);
        DestroyGame(currentGame);
        currentGame = nullptr;
    }
}

void RunModeStep(AppModeKind mode) {
    if (mode == AppModeKind::InMenu) {
        RunMenuStep();
    } else if (mode == AppModeKind::InGame || mode == AppModeKind::InDailyGame) {
        RunGameStep(mode);
    }
}

}  // namespace

void ToggleFullScreen() {
    // The Menu's images and drawing surface belong to the old Screen (it may draw straight into it), so
    // it goes before the mode changes and comes back built for the new Screen.
    bool rebuildMenu = AppMode == AppModeKind::InMenu && currentMenu != nullptr;
    if (rebuildMenu) {
        ReleaseMenu(currentMenu);
        currentMenu = nullptr;
    }
    SDL_Surface* next = nullptr;
    if (Shared.fullScreen) {
        next = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 0, SDL_ANYFORMAT);
    } else {
        next = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32,
                                SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_ANYFORMAT | SDL_FULLSCREEN);
    }
    if (next == nullptr) {
        // The rest of the program needs a valid Screen: stay in (or go back to) the mode we had.
        Uint32 flags = Shared.fullScreen ? SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_ANYFORMAT | SDL_FULLSCREEN
                                         : SDL_ANYFORMAT;
        next = SDL_SetVideoMode(kScreenWidth, kScreenHeight, Shared.fullScreen ? 32 : 0, flags);
        if (next == nullptr) {
            if (rebuildMenu) {
                currentMenu = CreateMenu();
            }
            return;
        }
    } else {
        Shared.fullScreen = !Shared.fullScreen;
    }
    Shared.screen = next;
    if (rebuildMenu) {
        currentMenu = CreateMenu();
    }
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
    SDL_Flip(Shared.screen);
    // One frame per flip still; where the flip does not wait for the display, this holds the loop to
    // the display's rate instead of letting it spin.
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
    // A game the player quits in the middle (F12) is kept too: its replay says it did not end.
    if (currentGame != nullptr) {
        KeepGameReplay(*currentGame);
    }
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
