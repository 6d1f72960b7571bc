// Presentation choice and refresh rate (see presentation.h).
#include "platform/presentation.h"

#include <cstdint>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

// Direct3D is always there and presents cheaply; only the wait for the display is asked for.
void ChoosePresentation() {
    if (getenv("SDL12COMPAT_SYNC_TO_VBLANK") == nullptr) {
        _putenv_s("SDL12COMPAT_SYNC_TO_VBLANK", "1");
    }
}

int DisplayRefreshRate() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) == 0 || mode.dmDisplayFrequency <= 1) {
        return 0;  // 0 and 1 mean "the hardware's default"
    }
    return static_cast<int>(mode.dmDisplayFrequency);
}

#else
#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace {

// Without a render node there is no graphics card to draw with, and OpenGL would be Mesa's software
// rasteriser: on such machines (Xvfb, most virtual machines, remote desktops) it costs several times
// what the whole game does, while the window's own framebuffer costs next to nothing.
bool HasRenderNode() {
    std::error_code error;
    for (std::filesystem::directory_iterator it("/dev/dri", error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().rfind("renderD", 0) == 0) {
            return true;
        }
    }
    return false;
}

// SDL2's display mode record; the 1.2 API has no refresh rate, the SDL2 library under it does.
struct Sdl2DisplayMode {
    uint32_t format;
    int w;
    int h;
    int refreshRate;
    void* driverData;
};
using GetCurrentDisplayModeFn = int (*)(int displayIndex, Sdl2DisplayMode* mode);

}  // namespace

void ChoosePresentation() {
    if (!HasRenderNode()) {
        // Read when sdl12-compat creates its renderer: the software one, drawing into...
        setenv("SDL_RENDER_DRIVER", "software", 0);
        // ...the window's framebuffer itself, which SDL2 would otherwise emulate with an OpenGL texture.
        setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    }
    // A renderer that can wait for the display (OpenGL on a graphics card) should: no tearing, and the
    // frame limiter then has nothing to do. The software renderer ignores it.
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
}

int DisplayRefreshRate() {
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (sdl2 == nullptr) {
        return 0;
    }
    int rate = 0;
    auto current = reinterpret_cast<GetCurrentDisplayModeFn>(dlsym(sdl2, "SDL_GetCurrentDisplayMode"));
    Sdl2DisplayMode mode = {};
    if (current != nullptr && current(0, &mode) == 0) {
        rate = mode.refreshRate;
    }
    dlclose(sdl2);
    return rate;
}

#endif
