// Start-up and shut-down (see startup.h).
#include "app/startup.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/high_scores.h"
#include "app/language.h"
#include "app/logo_intro.h"
#include "app/main_loop.h"
#include "app/menu.h"
#include "app/replay_viewer.h"
#include "game/shared_state.h"
#include "gfx/font.h"
#include "net/score_client.h"
#include "net/score_sender.h"
#include "platform/audio_layer.h"
#include "platform/data_dir.h"
#include "platform/font_library.h"
#include "platform/frame_limiter.h"
#include "platform/gamepad.h"
#include "platform/input.h"
#include "platform/presentation.h"
#include "platform/profile.h"
#include "platform/quit_signal.h"
#include "platform/user_files.h"
#include "platform/window_icon.h"
#include "res/error_report.h"

void PrintInfo(InfoRequest request, FILE* out) {
    if (request == InfoRequest::Version) {
        fprintf(out, "Quz " QUZ_VERSION "\n");
        return;
    }
    fprintf(out,
            "Usage: quz [-windowed] [--replay FILE [--replay-speed=N]] [--help] [--version]\n"
            "Quz " QUZ_VERSION
            ", a single-player arcade puzzle game: remove groups of blocks of one colour.\n"
            "\n"
            "  -windowed        play in a 640 by 480 window instead of the full screen\n"
            "  --replay FILE    show a recorded game (a .quzr file) as it was played, then quit;\n"
            "                   Space pauses, Right doubles the speed, Escape ends it\n"
            "  --replay-speed=N start the replay N times as fast (1 to 64)\n"
            "  --help           print this help and exit\n"
            "  --version        print the version and exit\n"
            "\n"
            "Keys: F12 quits at once, F9 switches between full screen and a window.\n"
            "Every game is recorded in the replays folder beside the high scores\n"
            "($XDG_DATA_HOME/quz/replays, ~/.local/share/quz/replays).\n"
            "Settings: quz.ini in the folder the game is started from, else\n"
            "$XDG_CONFIG_HOME/quz/quz.ini (~/.config/quz/quz.ini); [Game] Lang=fr or Lang=en.\n");
}

namespace {

constexpr const char kNeedsDisplayMessage[] =
    "Quz needs a display: start it in a graphical session (X11 or Wayland)";
constexpr Uint32 kSdlParts = SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_TIMER | SDL_INIT_GAMECONTROLLER;

// Starts SDL's video, audio, timer and game controllers. A machine without a sound device must still run
// the game silently, and one without a controller subsystem without gamepads, so the optional parts are
// dropped one by one (the audio layer then stays off).
bool StartSdl() {
    if (SDL_Init(kSdlParts) == 0) {
        return true;
    }
    if (SDL_Init(kSdlParts & ~SDL_INIT_AUDIO) == 0) {
        return true;
    }
    return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
}

// [Scores] Server: where the old score message goes, or "off"; [Scores] Submit: where verified games go,
// or "off".
void ReadScoreServerSetting(const char* iniPath) {
    char server[300];
    ReadProfileString("Scores", "Server", "", server, sizeof server, iniPath);
    if (!ParseScoreServerSetting(server, &scoreServerChoice)) {
        fprintf(stderr, "quz.ini: Server=%s is not host or host:port; the built-in score server is used\n",
                server);
    }
    char submit[600];
    ReadProfileString("Scores", "Submit", "", submit, sizeof submit, iniPath);
    if (!ParseSubmitSetting(submit, &submitChoice)) {
        fprintf(stderr,
                "quz.ini: Submit=%s is not off or an http(s)://host[:port] URL; the built-in one is used\n",
                submit);
    }
}

// The player's saved table (else the starting folder's scores.vek, else the defaults), and the sender
// with the outbox beside it, which sends at once what an earlier run could not.
void LoadPlayerFiles(const char* startingScoresFile) {
    char folder[4096];
    ScoreSenderConfig sender;
    SetDefaultScoreSettings();
    sender.settings = CurrentScoreSettings();
    sender.off = scoreServerChoice.off && sender.settings.submitUrl[0] == '\0';
    if (GetUserDataDirectory(folder, sizeof folder)) {
        LoadHighScoreTables(folder, startingScoresFile);
        sender.outboxPath = std::string(folder) + "/" + kOutboxFileName;
        sender.refusedFolder = std::string(folder) + "/replays";
    } else {
        fprintf(stderr, "No home folder: high scores and unsent scores are kept for this run only\n");
        LoadHighScoreTables(nullptr, startingScoresFile);
    }
    StartScoreSending(sender);
}

void ShutDown() {
    ReleaseMainLoopObjects();
    CloseGamepads();
    ClosePresentation();
    SDL_Quit();
    StopFontLibrary();
    SDLMikMod_Quit();
    // Last, with the window already gone: a score still on its way gets a short grace, then stays in
    // the outbox for the next start.
    FinishScoreSending();
}

// The Screen, in a window or full screen as asked. False, with the reason on stderr, when SDL can set
// no such mode.
bool OpenScreen() {
    Shared.screen = OpenPresentation(kWindowCaption, Shared.fullScreen);
    if (Shared.screen == nullptr) {
        fprintf(stderr, "Couldn't set the %dx%d video mode: %s\n", kScreenWidth, kScreenHeight,
                SDL_GetError());
        return false;
    }
    // The Screen is drawn in system memory and presented through the renderer; a renderer that waits for
    // the display's refresh is what the hardware double buffer used to be.
    if (PresentationWaitsForDisplay()) {
        printf("Screen can Flip\n");
    }
    return true;
}

// SDL, the font library and the Screen. Each failure leaves the player with no window at all: it is said
// on stderr, what was started is stopped again, and the result is false.
bool StartVideo() {
    InstallQuitSignalHandlers();
    if (!StartSdl()) {
        if (getenv("SDL_VIDEODRIVER") == nullptr && getenv("DISPLAY") == nullptr &&
            getenv("WAYLAND_DISPLAY") == nullptr) {
            fprintf(stderr, "%s\n", kNeedsDisplayMessage);
        }
        fprintf(stderr, "Init Error: %s\n", SDL_GetError());
        return false;
    }
    if (VideoDriverShowsNothing()) {
        fprintf(stderr, "%s (SDL's video driver is %s)\n", kNeedsDisplayMessage, SDL_GetCurrentVideoDriver());
        SDL_Quit();
        return false;
    }
    if (!StartFontLibrary()) {
        fprintf(stderr, "TTF_Init return: %s\n", SDL_GetError());
        SDL_Quit();
        return false;
    }
    InstallQuitSignalHandlers();
    if (!OpenScreen()) {
        StopFontLibrary();
        SDL_Quit();
        return false;
    }
    return true;
}

// The help, the version line, or why the command line cannot be followed; the exit status.
int AnswerInsteadOfPlaying(const CommandLine& commandLine) {
    if (commandLine.info != InfoRequest::None) {
        PrintInfo(commandLine.info, stdout);
        return 0;
    }
    fprintf(stderr, "quz: %s (quz --help lists the options)\n", commandLine.error.c_str());
    return 1;
}

// A replay named on the command line, read before anything starts so that a refusal opens no window.
// Null without one; a replay that cannot be shown ends the program with the reason.
std::unique_ptr<quz::core::Replay> ReplayToShow(const CommandLine& commandLine) {
    if (commandLine.replayPath.empty()) {
        return nullptr;
    }
    auto replay = std::make_unique<quz::core::Replay>();
    std::string problem;
    if (!LoadReplayToShow(commandLine.replayPath, *replay, problem)) {
        ReportError("Cannot show the replay %s: %s", commandLine.replayPath.c_str(), problem.c_str());
        return nullptr;
    }
    return replay;
}

// The replay in place of the intro and the menu, until it ends or the player leaves.
void RunReplay(const quz::core::Replay& replay, int speed) {
    SDLMikMod_Init(44100, 4096, 4, 3);
    ShowReplay(CreateReplayViewer(replay, speed));
    RunMainLoop();
}

// The logo intro, then the menu and the main loop until the player leaves.
void RunIntroAndLoop() {
    LogoIntroSkip skip = RunLogoIntro("data/logo.png");
    SDLMikMod_Init(44100, 4096, 4, 3);
    // A quit signal during the intro skips the menu, and so does F12, which quits from anywhere: the
    // shut-down comes next.
    if (QuitSignalReceived() || skip.key == SDLK_F12) {
        AppMode = AppModeKind::Quit;
        return;
    }
    EnsureMenu();
    if (skip.skipped && !skip.released) {
        IgnoreUntilReleased(CurrentMenu(), skip.button);
    }
    RunMainLoop();
}

}  // namespace

int RunQuz(int argc, char** argv) {
    CommandLine commandLine = ParseCommandLine(argc, argv);
    if (commandLine.info != InfoRequest::None || !commandLine.error.empty()) {
        return AnswerInsteadOfPlaying(commandLine);
    }
    Shared.fullScreen = !commandLine.windowed;
    // The player's files, and a replay named on the command line, belong to the folder the game was
    // started from, which is left below to reach the data: name them first.
    RememberStartFolder();
    ResolveReplayPath(commandLine);
    const std::unique_ptr<quz::core::Replay> replay = ReplayToShow(commandLine);
    if (replay == nullptr && !commandLine.replayPath.empty()) {
        return 1;
    }
    std::string configFile = ConfigFilePath();
    std::string scoresFile = StartFolderPath(kScoresFileName);
    std::string tried;
    if (!EnterDataDirectory(argc > 0 ? argv[0] : nullptr, tried)) {
        ReportError("Quz cannot find its data; tried %s", tried.c_str());
        return 1;
    }
    ChoosePresentation();
    PrepareInput();

    if (!StartVideo()) {
        return 1;
    }
    frameLimiter.SetRefreshRate(DisplayRefreshRate());
    SDL_ShowCursor(SDL_DISABLE);
    OpenGamepads();
    ReadProfileString("Game", "Lang", "fr", Shared.languageCode, sizeof Shared.languageCode,
                      configFile.c_str());
    KeepAvailableLanguage(Shared.languageCode);
    ReadScoreServerSetting(configFile.c_str());
    SetWindowIcon(PresentationWindow(), "data/icon.bmp");
    // An unknown starting folder has no scores file: the default table, as for a missing file.
    LoadPlayerFiles(scoresFile.c_str());
    AppMode = AppModeKind::InMenu;
    // The name entry reads typed text, composed by the system's keyboard layout and input method.
    SDL_StartTextInput();
    InitFont();
    ReadLanguageTexts(Shared.languageCode, Shared.languageTexts);
    if (replay != nullptr) {
        RunReplay(*replay, commandLine.replaySpeed);
    } else {
        RunIntroAndLoop();
    }
    ShutDown();
    return 0;
}
