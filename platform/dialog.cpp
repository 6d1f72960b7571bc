// Modal error dialog (see dialog.h).
#include "platform/dialog.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include "platform/native_path.h"

// The texts are UTF-8 (the French ones have accents); a test run with the dummy driver must never wait
// on a box nobody can close.
void ShowErrorDialog(const char* caption, const char* text) {
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (strcmp(driver, "dummy") == 0 || strcmp(driver, "offscreen") == 0)) {
        return;
    }
    MessageBoxW(nullptr, WideText(text).c_str(), WideText(caption).c_str(),
                MB_OK | MB_ICONERROR | MB_SYSTEMMODAL | MB_TOPMOST);
}

#else
#include <SDL.h>

namespace {

// SDL's message box fails at once without a display, but would first start a video driver of its own
// to find out; with no display in sight it is not asked at all.
bool DisplayMayExist() {
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (strcmp(driver, "dummy") == 0 || strcmp(driver, "offscreen") == 0)) {
        return false;
    }
    const char* display = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (display != nullptr && display[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

}  // namespace

void ShowErrorDialog(const char* caption, const char* text) {
    if (DisplayMayExist()) {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
    }
}

#endif
