// The input layer's back end: SDL's events translated into the layer's actions, the pointer, and the test
// seam that feeds SDL's queue as the system would. Only this file of the layer knows SDL.
#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "platform/input.h"

namespace {

int pointerInsideOverride = -1;
// Events a test fed before SDL's video was up, which would have lost them; they join its queue when the
// layer next reads it.
std::vector<SDL_Event> waitingForVideo;

void Feed(SDL_Event& event) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        waitingForVideo.push_back(event);
        return;
    }
    SDL_PushEvent(&event);
}

struct KeyName {
    SDLKey sym;
    InputKey key;
};

constexpr KeyName kKeys[] = {
    {SDLK_LEFT, InputKey::Left},
    {SDLK_RIGHT, InputKey::Right},
    {SDLK_UP, InputKey::Up},
    {SDLK_DOWN, InputKey::Down},
    {SDLK_SPACE, InputKey::Space},
    {SDLK_RETURN, InputKey::Return},
    {SDLK_KP_ENTER, InputKey::Return},
    {SDLK_ESCAPE, InputKey::Escape},
    {SDLK_BACKSPACE, InputKey::Backspace},
    {SDLK_p, InputKey::P},
    {SDLK_F1, InputKey::F1},
    {SDLK_F9, InputKey::F9},
    {SDLK_F12, InputKey::F12},
};

InputKey KeyOf(SDLKey sym) {
    for (const KeyName& name : kKeys) {
        if (name.sym == sym) {
            return name.key;
        }
    }
    return InputKey::Other;
}

SDLKey SymOf(InputKey key) {
    for (const KeyName& name : kKeys) {
        if (name.key == key) {
            return name.sym;
        }
    }
    return SDLK_WORLD_0;
}

void TranslateKey(const SDL_KeyboardEvent& event) {
    InputAction action;
    action.key = KeyOf(event.keysym.sym);
    action.kind = event.type == SDL_KEYDOWN ? InputKind::KeyPress : InputKind::KeyRelease;
    AddInputAction(action);
    const Uint16 character = event.keysym.unicode;
    // Control codes (Backspace, Return, Tab, Escape, Delete) are keys, not text.
    if (event.type == SDL_KEYDOWN && character >= 32 && character != 127) {
        InputAction text;
        text.kind = InputKind::Text;
        text.character = character;
        AddInputAction(text);
    }
}

void TranslateButton(const SDL_MouseButtonEvent& event) {
    InputAction action;
    action.kind = event.type == SDL_MOUSEBUTTONDOWN ? InputKind::ButtonPress : InputKind::ButtonRelease;
    action.button = event.button;
    action.x = event.x;
    action.y = event.y;
    AddInputAction(action);
}

void TranslateActive(const SDL_ActiveEvent& event) {
    // The pointer leaving the window is no loss of focus; the keyboard's focus or a minimised window is.
    if ((event.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) == 0) {
        return;
    }
    InputAction action;
    action.kind = event.gain != 0 ? InputKind::FocusGained : InputKind::FocusLost;
    AddInputAction(action);
}

void Translate(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(event.key);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            TranslateButton(event.button);
            break;
        case SDL_ACTIVEEVENT:
            TranslateActive(event.active);
            break;
        case SDL_QUIT: {
            InputAction action;
            action.kind = InputKind::Close;
            AddInputAction(action);
            break;
        }
        default:
            break;
    }
}

Uint16 Coordinate(int value) {
    return static_cast<Uint16>(value < 0 ? 0 : value);
}

}  // namespace

void PrepareInput() {
    // SDL2, under the 1.2 interface, drops the click that focuses its window unless told otherwise.
    setenv("SDL_MOUSE_FOCUS_CLICKTHROUGH", "1", 0);
}

void ReadSystemInput() {
    if (!waitingForVideo.empty() && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        for (SDL_Event& waiting : waitingForVideo) {
            SDL_PushEvent(&waiting);
        }
        waitingForVideo.clear();
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        Translate(event);
    }
}

void PointerPosition(int& x, int& y) {
    SDL_GetMouseState(&x, &y);
}

bool PointerInWindow() {
    if (pointerInsideOverride >= 0) {
        return pointerInsideOverride != 0;
    }
    return (SDL_GetAppState() & SDL_APPMOUSEFOCUS) != 0;
}

void OverridePointerInWindow(int inside) {
    pointerInsideOverride = inside;
}

void InjectKey(InputKey key, bool down, uint32_t character) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = SymOf(key);
    event.key.keysym.unicode = static_cast<Uint16>(character);
    Feed(event);
}

void InjectText(uint32_t character) {
    InjectKey(InputKey::Other, true, character);
}

void InjectButton(int button, bool down, int x, int y) {
    SDL_WarpMouse(Coordinate(x), Coordinate(y));
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = static_cast<Uint8>(button);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = Coordinate(x);
    event.button.y = Coordinate(y);
    Feed(event);
}

void InjectPointer(int x, int y) {
    SDL_WarpMouse(Coordinate(x), Coordinate(y));
}

void InjectClose() {
    SDL_Event event = {};
    event.type = SDL_QUIT;
    Feed(event);
}

void InjectFocus(bool gained) {
    SDL_Event event = {};
    event.type = SDL_ACTIVEEVENT;
    event.active.gain = gained ? 1 : 0;
    event.active.state = SDL_APPINPUTFOCUS;
    Feed(event);
}
