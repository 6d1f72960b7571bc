// Main loop (see main_loop.h).
#include "app/main_loop.h"

#include <SDL.h>

#include <cstdint>

#include "app/daily_game.h"
#include "app/end_of_game.h"
#include "app/frame_clock.h"
#include "app/high_score_table.h"
#include "app/menu.h"
#include "app/replay_keeper.h"
#include "app/replay_viewer.h"
#include "game/game.h"
#include "game/random_stream.h"
#include "game/shared_state.h"
#include "net/score_client.h"
#include "platform/frame_limiter.h"
#include "platform/frame_time.h"
#include "platform/input.h"
#include "platform/presentation.h"
#include "platform/quit_signal.h"

AppModeKind AppMode = AppModeKind::InMenu;

namespace {

Menu* currentMenu = nullptr;
Game* currentGame = nullptr;
ReplayViewer* currentViewer = nullptr;
// The game whose name was confirmed, for the score screen the next menu opens on.
FinishedGame finishedGame;

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
        PrepareNameEntry(currentGame, mode == AppModeKind::InDailyGame);
        finishedGame = FinishedGame{};
    }
    const bool goOn = currentGame->PlayFrame();
    if (currentGame->TakeNameConfirmed()) {
        finishedGame = SendConfirmedGame(*currentGame);
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
    } else if (mode == AppModeKind::ShowingReplay &&
               (currentViewer == nullptr || !ReplayViewerFrame(currentViewer))) {
        AppMode = AppModeKind::Quit;
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
        if (finishedGame.shown) {
            ShowFinishedGame(currentMenu, finishedGame);
            finishedGame = FinishedGame{};
        }
    }
}

void ShowReplay(ReplayViewer* viewer) {
    currentViewer = viewer;
    AppMode = AppModeKind::ShowingReplay;
}

Menu* CurrentMenu() {
    return currentMenu;
}

void ReleaseMainLoopObjects() {
    if (currentMenu != nullptr) {
        ReleaseMenu(currentMenu);
        currentMenu = nullptr;
    }
    DestroyReplayViewer(currentViewer);
    currentViewer = nullptr;
    // A game the player quits in the middle (F12) is kept too: its replay says it did not end.
    if (currentGame != nullptr) {
        KeepGameReplay(*currentGame);
    }
    DestroyGame(currentGame);
    currentGame = nullptr;
}
