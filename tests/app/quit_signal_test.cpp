// SIGTERM and SIGINT end the whole program from any screen, within a frame, through the usual shut-down;
// the window's close button no longer shares their quit event. Each case runs in a child process, since
// a signal handler and its flag last for the life of the process.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/main_loop.h"
#include "app/startup.h"
#include "app_support.h"
#include "game/shared_state.h"
#include "platform/quit_signal.h"
#include "res/error_report.h"

namespace {

// Each body runs in a child and reports through its exit status: 0 when all held.
void CatchSignal(int signal) {
    InstallQuitSignalHandlers();
    if (QuitSignalReceived() || SDL_Init(SDL_INIT_VIDEO) != 0) {
        exit(2);
    }
    InstallQuitSignalHandlers();
    raise(signal);
    SDL_PumpEvents();
    SDL_Event event;
    bool quitEvent = false;
    while (SDL_PollEvent(&event) != 0) {
        quitEvent = quitEvent || event.type == SDL_QUIT;
    }
    exit(QuitSignalReceived() && !quitEvent ? 0 : 3);
}

void SignalInTheMenu() {
    InstallQuitSignalHandlers();
    if (!OpenTestScreen()) {
        exit(2);
    }
    AppMode = AppModeKind::InMenu;
    EnsureMenu();
    raise(SIGINT);
    bool more = RunMainLoopFrame();
    ReleaseMainLoopObjects();
    exit(!more && AppMode == AppModeKind::Quit ? 0 : 3);
}

void SignalDuringTheIntro() {
    std::string program = "quz";
    std::string windowed = "-windowed";
    char* argv[] = {program.data(), windowed.data(), nullptr};
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        kill(getpid(), SIGTERM);
    }).detach();
    auto start = std::chrono::steady_clock::now();
    int status = RunQuz(2, argv);
    auto took = std::chrono::steady_clock::now() - start;
    exit(status == 0 && took < std::chrono::seconds(4) ? 0 : 3);
}

TEST(QuitSignalTest, BothSignalsAreCaughtAndNeitherIsAQuitEvent) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CatchSignal(SIGTERM), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(CatchSignal(SIGINT), ::testing::ExitedWithCode(0), "");
}

TEST(QuitSignalTest, ASignalEndsTheMenuWithinTheFrame) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(SignalInTheMenu(), ::testing::ExitedWithCode(0), "");
}

// The logo intro cannot be skipped by keys or clicks, but a signal ends it and the program, status 0.
TEST(QuitSignalTest, ASignalDuringTheIntroShutsTheProgramDownAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(SignalDuringTheIntro(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
