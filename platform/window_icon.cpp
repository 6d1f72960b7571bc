// Window icon (see window_icon.h).
#include "platform/window_icon.h"

#include "platform/regular_file.h"

#ifdef _WIN32
#include <SDL_syswm.h>
#include <windows.h>

bool SetWindowIcon(SDL_Window* window, const char* /*iconFile*/) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) == SDL_FALSE) {
        return false;
    }
    HINSTANCE module = GetModuleHandleW(nullptr);
    HICON icon = LoadIconW(module, MAKEINTRESOURCEW(101));
    if (icon == nullptr) {
        return false;
    }
    SendMessageW(info.info.win.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageW(info.info.win.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    return true;
}

#else

bool SetWindowIcon(SDL_Window* window, const char* iconFile) {
    SDL_RWops* stream = OpenRegularFileStream(iconFile);
    SDL_Surface* icon = stream != nullptr ? SDL_LoadBMP_RW(stream, 1) : nullptr;
    if (icon == nullptr || window == nullptr) {
        SDL_FreeSurface(icon);
        return false;
    }
    // Pure black is the icon's transparent background.
    SDL_SetColorKey(icon, SDL_TRUE, SDL_MapRGB(icon->format, 0, 0, 0));
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
    return true;
}

#endif
