// Start-up and shut-down (see startup.h).
#include "app/startup.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/high_scores.h"
#include "app/language.h"
#include "app/logo_intro.h"
#include "app/main_loop.h"
#include "app/menu.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "platform/audio_layer.h"
#include "platform/data_dir.h"
#include "platform/frame_limiter.h"
#include "platform/presentation.h"
#include "platform/profile.h"
#include "platform/quit_signal.h"
#include "platform/window_icon.h"

unsigned int StartupVideoFlags(bool full) {
    unsigned int flags = SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_ANYFORMAT;
    return full ? flags | SDL_FULLSCREEN : flags;
}

bool FullScreenFromArguments(int argc, char** argv) {
    return !(argc > 1 && argv[1] != nullptr && strcmp(argv[1], "-windowed") == 0);
}

namespace {

// Starts SDL with every subsystem. A machine without a sound device must still run the game silently,
// so when only audio is missing SDL is started without it (the audio layer then stays off).
bool StartSdl() {
    if (SDL_Init(SDL_INIT_EVERYTHING) == 0) {
        return true;
    }
    return SDL_Init(SDL_INIT_EVERYTHING & ~SDL_INIT_AUDIO) == 0;
}

void ShutDown() {
    ReleaseMainLoopObjects();
    SDL_Quit();
    TTF_Quit();
    SDLMikMod_Quit();
}

// The Screen, in a window or full screen as asked. False, with the reason on stderr, when SDL can set
// no such mode.
bool OpenScreen() {
    Shared.screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, StartupVideoFlags(Shared.fullScreen));
    if (Shared.screen == nullptr) {
        fprintf(stderr, "Couldn't set the %dx%d video mode: %s\n", kScreenWidth, kScreenHeight,
                SDL_GetError());
        return false;
    }
    if ((Shared.screen->flags & SDL_HWSURFACE) != 0) {
        printf("Screen in VRAM\n");
    }
    if ((Shared.screen->flags & SDL_DOUBLEBUF) != 0) {
        printf("Screen can Flip\n");
    }
    return true;
}

}  // namespace

int RunQuz(int argc, char** argv) {
    Shared.fullScreen = FullScreenFromArguments(argc, argv);
    EnterDataDirectory(argc > 0 ? argv[0] : nullptr);
    ChoosePresentation();

    InstallQuitSignalHandlers();
    if (!StartSdl()) {
        fprintf(stderr, "Init Error: %s\n", SDL_GetError());
        return 1;
    }
    // Both failures leave the player with no window at all: say why, and do not report success.
    if (TTF_Init() < 0) {
        fprintf(stderr, "TTF_Init return: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    InstallQuitSignalHandlers();
    if (!OpenScreen()) {
        TTF_Quit();
        SDL_Quit();
        return 1;
    }
    frameLimiter.SetRefreshRate(DisplayRefreshRate());
    SDL_ShowCursor(0);
    SDL_WM_SetCaption(kWindowCaption, nullptr);
    ReadProfileString("Game", "Lang", "fr", Shared.languageCode, sizeof Shared.languageCode, ".\\quz.ini");
    KeepAvailableLanguage(Shared.languageCode);
    SetWindowIcon(kWindowCaption, "data/icon.bmp");
    LoadHighScores();
    AppMode = AppModeKind::InMenu;
    SDL_EnableUNICODE(1);
    InitFont();
    ReadLanguageTexts(Shared.languageCode, Shared.languageTexts);
    LogoIntroSkip skip = RunLogoIntro("data/logo.png");
    SDLMikMod_Init(44100, 4096, 4, 3);
    // A quit signal during the intro skips the menu: the shut-down comes next.
    if (!QuitSignalReceived()) {
        EnsureMenu();
        if (skip.skipped && !skip.released) {
            IgnoreUntilReleased(CurrentMenu(), skip.key, skip.button);
        }
        RunMainLoop();
    }

    ShutDown();
    return 0;
}
