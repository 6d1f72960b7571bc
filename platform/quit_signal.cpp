// Quit signals (see quit_signal.h).
#include "platform/quit_signal.h"

#include <csignal>
#include <cstdlib>

namespace {

volatile std::sig_atomic_t quitSignal = 0;

extern "C" void OnQuitSignal(int /*signal*/) {
    quitSignal = 1;
}

}  // namespace

#ifdef _WIN32

void InstallQuitSignalHandlers() {
    _putenv_s("SDL_NO_SIGNAL_HANDLERS", "1");
    std::signal(SIGINT, OnQuitSignal);
    std::signal(SIGTERM, OnQuitSignal);
}

#else

void InstallQuitSignalHandlers() {
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted system calls: a signal must not make a read or a flip fail half-way.
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

#endif

bool QuitSignalReceived() {
    return quitSignal != 0;
}
