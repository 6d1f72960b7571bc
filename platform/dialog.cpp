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
#include <dlfcn.h>

namespace {

// The 1.2 API has no message box, but the SDL2 library under it does; it fails at once without a display.
using ShowSimpleMessageBoxFn = int (*)(unsigned int flags, const char* title, const char* message,
                                       void* window);
constexpr unsigned int kMessageBoxError = 0x10;

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
    if (!DisplayMayExist()) {
        return;
    }
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (sdl2 == nullptr) {
        sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY);
    }
    if (sdl2 == nullptr) {
        return;
    }
    auto show = reinterpret_cast<ShowSimpleMessageBoxFn>(dlsym(sdl2, "SDL_ShowSimpleMessageBox"));
    if (show != nullptr) {
        show(kMessageBoxError, caption, text, nullptr);
    }
    dlclose(sdl2);
}

#endif
