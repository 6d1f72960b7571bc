// Input seam (see input.h).
#include "platform/input.h"

#include <algorithm>
#include <deque>
#include <iterator>

#include "platform/gamepad.h"
#include "platform/presentation.h"

namespace {

bool heldByTest[SDL_NUM_SCANCODES];
bool anyHeld = false;
int focusOverride = -1;
// Events made from others (the release half of a wheel turn, a controller's keys), handed out by the
// next polls before anything new.
std::deque<SDL_Event> made;

// The keyboard key each pad key stands for: the game reads a controller as these keys.
constexpr SDL_Keycode kPadKeys[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_RETURN, SDLK_ESCAPE, SDLK_p};
static_assert(std::size(kPadKeys) == static_cast<size_t>(PadKey::Count));

bool PadHolds(SDL_Keycode key) {
    for (size_t i = 0; i < std::size(kPadKeys); ++i) {
        if (kPadKeys[i] == key && PadKeyHeld(static_cast<PadKey>(i))) {
            return true;
        }
    }
    return false;
}

// A controller's changes as the key events of the keys they stand for.
void MakePadKeys(const SDL_Event& event) {
    PadChange changes[kMaxPadChanges];
    const int count = TakeGamepadEvent(event, changes);
    for (int i = 0; i < count; ++i) {
        SDL_Event key{};
        key.type = changes[i].down ? SDL_KEYDOWN : SDL_KEYUP;
        key.key.state = changes[i].down ? SDL_PRESSED : SDL_RELEASED;
        key.key.keysym.sym = kPadKeys[static_cast<int>(changes[i].key)];
        key.key.keysym.scancode = SDL_GetScancodeFromKey(key.key.keysym.sym);
        made.push_back(key);
    }
}

SDL_Scancode ScancodeOf(SDL_Keycode key) {
    const SDL_Scancode code = SDL_GetScancodeFromKey(key);
    return code > SDL_SCANCODE_UNKNOWN && code < SDL_NUM_SCANCODES ? code : SDL_SCANCODE_UNKNOWN;
}

// The wheel as the two button events of a click at the pointer; true when the turn had a direction.
bool WheelAsClick(const SDL_MouseWheelEvent& wheel) {
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
    SDL_Event release = press;
    release.type = SDL_MOUSEBUTTONUP;
    release.button.state = SDL_RELEASED;
    made.push_back(press);
    made.push_back(release);
    return true;
}

}  // namespace

bool PollInputEvent(SDL_Event* event) {
    while (made.empty()) {
        if (SDL_PollEvent(event) == 0) {
            return false;
        }
        switch (event->type) {
            case SDL_KEYDOWN:
                if (event->key.repeat == 0) {
                    return true;
                }
                break;
            case SDL_MOUSEWHEEL:
                WheelAsClick(event->wheel);
                break;
            case SDL_CONTROLLERDEVICEADDED:
            case SDL_CONTROLLERDEVICEREMOVED:
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP:
            case SDL_CONTROLLERAXISMOTION:
                MakePadKeys(*event);
                break;
            default:
                return true;
        }
    }
    *event = made.front();
    made.pop_front();
    return true;
}

bool KeyHeld(SDL_Keycode key) {
    const SDL_Scancode code = ScancodeOf(key);
    if (code == SDL_SCANCODE_UNKNOWN) {
        return false;
    }
    if ((anyHeld && heldByTest[code]) || PadHolds(key)) {
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
