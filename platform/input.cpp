// Input seam (see input.h).
#include "platform/input.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/presentation.h"

namespace {

bool heldByTest[SDL_NUM_SCANCODES];
bool anyHeld = false;
int focusOverride = -1;
// The release half of a wheel turn, handed out by the next poll.
SDL_Event pendingRelease;
bool releasePending = false;

SDL_Scancode ScancodeOf(SDL_Keycode key) {
    const SDL_Scancode code = SDL_GetScancodeFromKey(key);
    return code > SDL_SCANCODE_UNKNOWN && code < SDL_NUM_SCANCODES ? code : SDL_SCANCODE_UNKNOWN;
}

// The wheel as the two button events of a click at the pointer; true when the turn had a direction.
bool WheelAsClick(const SDL_MouseWheelEvent& wheel, SDL_Event* event) {
    int y = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
    if (y == 0) {
        return false;
    }
    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.windowID = wheel.windowID;
    press.button.which = wheel.which;
    press.button.button = y > 0 ? kWheelUpButton : kWheelDownButton;
    press.button.state = SDL_PRESSED;
    press.button.clicks = 1;
    GetPointer(&press.button.x, &press.button.y);
    pendingRelease = press;
    pendingRelease.type = SDL_MOUSEBUTTONUP;
    pendingRelease.button.state = SDL_RELEASED;
    releasePending = true;
    *event = press;
    return true;
}

}  // namespace

bool PollInputEvent(SDL_Event* event) {
    if (releasePending) {
        releasePending = false;
        *event = pendingRelease;
        return true;
    }
    while (SDL_PollEvent(event) != 0) {
        if (event->type == SDL_KEYDOWN && event->key.repeat != 0) {
            continue;
        }
        if (event->type == SDL_MOUSEWHEEL && !WheelAsClick(event->wheel, event)) {
            continue;
        }
        return true;
    }
    return false;
}

bool KeyHeld(SDL_Keycode key) {
    const SDL_Scancode code = ScancodeOf(key);
    if (code == SDL_SCANCODE_UNKNOWN) {
        return false;
    }
    if (anyHeld && heldByTest[code]) {
        return true;
    }
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    return keys != nullptr && code < count && keys[code] != 0;
}

void GetPointer(int* x, int* y) {
    int windowX = 0;
    int windowY = 0;
    SDL_GetMouseState(&windowX, &windowY);
    WindowToPicture(windowX, windowY, x, y);
}

void WarpPointer(int x, int y) {
    int windowX = 0;
    int windowY = 0;
    PictureToWindow(x, y, &windowX, &windowY);
    SDL_Window* window = PresentationWindow();
    SDL_WarpMouseInWindow(window != nullptr ? window : SDL_GetMouseFocus(), windowX, windowY);
}

Uint8 GetAppFocusState() {
    if (focusOverride >= 0) {
        return static_cast<Uint8>(focusOverride);
    }
    SDL_Window* window = PresentationWindow();
    if (window == nullptr) {
        return 0;
    }
    Uint8 state = 0;
    if (SDL_GetMouseFocus() == window) {
        state |= kAppMouseFocus;
    }
    if (SDL_GetKeyboardFocus() == window) {
        state |= kAppInputFocus;
    }
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) == 0) {
        state |= kAppActive;
    }
    return state;
}

void HoldKey(SDL_Keycode key, bool down) {
    const SDL_Scancode code = ScancodeOf(key);
    if (code == SDL_SCANCODE_UNKNOWN) {
        return;
    }
    heldByTest[code] = down;
    anyHeld = std::any_of(std::begin(heldByTest), std::end(heldByTest), [](bool k) { return k; });
}

void ReleaseAllKeys() {
    std::fill(std::begin(heldByTest), std::end(heldByTest), false);
    anyHeld = false;
}

void OverrideAppFocusState(int state) {
    focusOverride = state;
}
