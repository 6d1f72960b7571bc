// Window, renderer and the Screen's presentation (see presentation.h).
#include "platform/presentation.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <filesystem>
#include <system_error>
#endif

namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
SDL_Surface* screen = nullptr;
bool waitsForDisplay = false;

#ifndef _WIN32
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
#endif

void SetUnlessUserDid(const char* name, const char* value) {
    SDL_SetHintWithPriority(name, value, SDL_HINT_DEFAULT);
}

void FreePresentation() {
    if (texture != nullptr) {
        SDL_DestroyTexture(texture);
        texture = nullptr;
    }
    if (renderer != nullptr) {
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
    }
    if (window != nullptr) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (screen != nullptr) {
        SDL_FreeSurface(screen);
        screen = nullptr;
    }
    waitsForDisplay = false;
}

}  // namespace

SDL_Surface* ConvertToScreenFormat(SDL_Surface* image) {
    if (image == nullptr) {
        SDL_SetError("No image to convert");
        return nullptr;
    }
    return SDL_ConvertSurfaceFormat(image, kScreenPixelFormat, 0);
}

void ChoosePresentation() {
#ifdef _WIN32
    const bool graphicsCard = true;  // Direct3D is always there
#else
    const bool graphicsCard = HasRenderNode();
#endif
    if (!graphicsCard) {
        SetUnlessUserDid(SDL_HINT_RENDER_DRIVER, "software");
        // The software renderer then draws into the window's framebuffer itself, which SDL2 would
        // otherwise emulate with an OpenGL texture.
        SetUnlessUserDid(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    } else {
        // A graphics card smooths a scaled picture for nothing, as a monitor's own scaler would; the
        // software renderer would pay for it on every pixel of a full screen, and keeps nearest pixels.
        SetUnlessUserDid(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    }
    // No tearing, and the frame limiter then has nothing to do. A renderer that cannot wait ignores it.
    SetUnlessUserDid(SDL_HINT_RENDER_VSYNC, "1");
}

bool VideoDriverShowsNothing() {
    const char* asked = getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && asked[0] != '\0') {
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && (strcmp(driver, "dummy") == 0 || strcmp(driver, "offscreen") == 0);
}

SDL_Surface* OpenPresentation(const char* caption, bool fullScreen) {
    FreePresentation();
    Uint32 flags = SDL_WINDOW_RESIZABLE | (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    window = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kPictureWidth,
                              kPictureHeight, flags);
    if (window != nullptr) {
        SDL_SetWindowMinimumSize(window, kPictureWidth / 4, kPictureHeight / 4);
        renderer = SDL_CreateRenderer(window, -1, 0);
    }
    if (renderer != nullptr && SDL_RenderSetLogicalSize(renderer, kPictureWidth, kPictureHeight) == 0) {
        texture = SDL_CreateTexture(renderer, kScreenPixelFormat, SDL_TEXTUREACCESS_STREAMING, kPictureWidth,
                                    kPictureHeight);
    }
    if (texture != nullptr) {
        screen = SDL_CreateRGBSurfaceWithFormat(0, kPictureWidth, kPictureHeight, 32, kScreenPixelFormat);
    }
    if (screen == nullptr) {
        // SDL's reason survives the clean-up: nothing below sets an error.
        FreePresentation();
        return nullptr;
    }
    SDL_RendererInfo info;
    // The software renderer takes the flag but presents at once.
    const Uint32 waiting = SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_ACCELERATED;
    waitsForDisplay = SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & waiting) == waiting;
    SDL_FillRect(screen, nullptr, 0);
    return screen;
}

bool SetPresentationFullScreen(bool fullScreen) {
    if (window == nullptr) {
        return false;
    }
    return SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

void PresentScreen() {
    if (renderer == nullptr) {
        return;
    }
    SDL_UpdateTexture(texture, nullptr, screen->pixels, screen->pitch);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

void ClosePresentation() {
    FreePresentation();
}

SDL_Surface* PresentationScreen() {
    return screen;
}

SDL_Window* PresentationWindow() {
    return window;
}

bool PresentationWaitsForDisplay() {
    return waitsForDisplay;
}

int DisplayRefreshRate() {
    SDL_DisplayMode mode;
    const int display = window != nullptr ? SDL_GetWindowDisplayIndex(window) : 0;
    if (SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) != 0) {
        return 0;
    }
    return mode.refresh_rate;
}

void WindowToPicture(int windowX, int windowY, int* x, int* y) {
    float logicalX = static_cast<float>(windowX);
    float logicalY = static_cast<float>(windowY);
    if (renderer != nullptr) {
        SDL_RenderWindowToLogical(renderer, windowX, windowY, &logicalX, &logicalY);
    }
    *x = std::clamp(static_cast<int>(logicalX), 0, kPictureWidth - 1);
    *y = std::clamp(static_cast<int>(logicalY), 0, kPictureHeight - 1);
}

void PictureToWindow(int x, int y, int* windowX, int* windowY) {
    *windowX = x;
    *windowY = y;
    if (renderer != nullptr) {
        SDL_RenderLogicalToWindow(renderer, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f,
                                  windowX, windowY);
    }
}
