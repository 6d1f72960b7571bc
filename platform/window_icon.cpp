// Window icon (see window_icon.h).
#include "platform/window_icon.h"

#include <SDL.h>

#include "platform/regular_file.h"

#ifdef _WIN32
#include <windows.h>

bool SetWindowIcon(const char* caption, const char* /*iconFile*/) {
    HWND window = FindWindowA(nullptr, caption);
    if (window == nullptr) {
        return false;
    }
    HINSTANCE module = GetModuleHandleA(nullptr);
    HICON small = LoadIconA(module, MAKEINTRESOURCEA(101));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    HICON big = LoadIconA(module, MAKEINTRESOURCEA(101));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    return true;
}

#else

bool SetWindowIcon(const char* /*caption*/, const char* iconFile) {
    SDL_RWops* stream = OpenRegularFileStream(iconFile);
    SDL_Surface* icon = stream != nullptr ? SDL_LoadBMP_RW(stream, 1) : nullptr;
    if (icon == nullptr) {
        return false;
    }
    // Pure black is the icon's transparent background.
    SDL_SetColorKey(icon, SDL_SRCCOLORKEY, SDL_MapRGB(icon->format, 0, 0, 0));
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
    return true;
}

#endif
