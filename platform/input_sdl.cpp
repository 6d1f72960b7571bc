// The input layer's back end: SDL2's events (keys, typed text, the mouse, the window, game controllers)
// translated into the layer's actions, the pointer in the picture's coordinates, and the test seam that
// feeds SDL's queue as the system would. Only this file of the layer knows SDL.
#include <SDL.h>

#include <cstdlib>
#include <iterator>
#include <vector>

#include "platform/gamepad.h"
#include "platform/input.h"
#include "platform/presentation.h"
#include "platform/text.h"

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
    SDL_Keycode sym;
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

// The key of the keyboard each of a controller's keys stands for, in the order of PadKey.
constexpr InputKey kPadKeys[] = {InputKey::Up,     InputKey::Down,   InputKey::Left, InputKey::Right,
                                 InputKey::Return, InputKey::Escape, InputKey::P};
static_assert(std::size(kPadKeys) == static_cast<size_t>(PadKey::Count));

constexpr Uint8 kWheelUp = 4;
constexpr Uint8 kWheelDown = 5;

InputKey KeyOf(SDL_Keycode sym) {
    for (const KeyName& name : kKeys) {
        if (name.sym == sym) {
            return name.key;
        }
    }
    return InputKey::Other;
}

SDL_Keycode SymOf(InputKey key) {
    for (const KeyName& name : kKeys) {
        if (name.key == key) {
            return name.sym;
        }
    }
    return SDLK_UNKNOWN;
}

void AddKey(InputKey key, bool down) {
    InputAction action;
    action.key = key;
    action.kind = down ? InputKind::KeyPress : InputKind::KeyRelease;
    AddInputAction(action);
}

// The system's own repeats of a held key are dropped: the layer repeats the held arrow by its own rule.
void TranslateKey(const SDL_KeyboardEvent& event) {
    if (event.type == SDL_KEYDOWN && event.repeat != 0) {
        return;
    }
    AddKey(KeyOf(event.keysym.sym), event.type == SDL_KEYDOWN);
}

// What the keyboard layout (or an input method) composed: one Text action per character. Control codes
// are keys, never text.
void TranslateText(const SDL_TextInputEvent& event) {
    const char* text = event.text;
    unsigned int character = 0;
    for (size_t used = NextUtf8Character(text, &character); used > 0;
         text += used, used = NextUtf8Character(text, &character)) {
        if (character >= 32 && character != 127) {
            InputAction action;
            action.kind = InputKind::Text;
            action.character = character;
            AddInputAction(action);
        }
    }
}

void AddButton(int button, bool down, int x, int y) {
    InputAction action;
    action.kind = down ? InputKind::ButtonPress : InputKind::ButtonRelease;
    action.button = button;
    action.x = x;
    action.y = y;
    AddInputAction(action);
}

// A click from the system is placed where the pointer is in the picture; one the test seam fed has no
// window and carries the picture's coordinates already.
void TranslateButton(const SDL_MouseButtonEvent& event) {
    int x = event.x;
    int y = event.y;
    if (event.windowID != 0) {
        PointerPosition(x, y);
    }
    AddButton(event.button, event.type == SDL_MOUSEBUTTONDOWN, x, y);
}

// A step of the wheel is a click of button 4 (away from the player) or 5, a press and a release.
void TranslateWheel(const SDL_MouseWheelEvent& event) {
    const Sint32 steps = event.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.y : event.y;
    if (steps == 0) {
        return;
    }
    int x = 0;
    int y = 0;
    PointerPosition(x, y);
    const int button = steps > 0 ? kWheelUp : kWheelDown;
    AddButton(button, true, x, y);
    AddButton(button, false, x, y);
}

void TranslateWindow(const SDL_WindowEvent& event) {
    // The pointer leaving the window is no loss of focus; the keyboard's focus or a minimised window is.
    InputAction action;
    if (event.event == SDL_WINDOWEVENT_FOCUS_LOST || event.event == SDL_WINDOWEVENT_MINIMIZED) {
        action.kind = InputKind::FocusLost;
    } else if (event.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        action.kind = InputKind::FocusGained;
    } else {
        return;
    }
    AddInputAction(action);
}

// A controller's d-pad, stick and buttons act as the keys they stand for, presses and releases alike, so
// a held direction repeats as a held arrow does.
void TranslateController(const SDL_Event& event) {
    PadChange changes[kMaxPadChanges];
    const int count = TakeGamepadEvent(event, changes);
    for (int i = 0; i < count; ++i) {
        AddKey(kPadKeys[static_cast<size_t>(changes[i].key)], changes[i].down);
    }
}

void Translate(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            TranslateKey(event.key);
            break;
        case SDL_TEXTINPUT:
            TranslateText(event.text);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            TranslateButton(event.button);
            break;
        case SDL_MOUSEWHEEL:
            TranslateWheel(event.wheel);
            break;
        case SDL_WINDOWEVENT:
            TranslateWindow(event.window);
            break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            TranslateController(event);
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

// A character as the UTF-8 of a text event.
void Utf8Of(uint32_t character, char out[SDL_TEXTINPUTEVENT_TEXT_SIZE]) {
    size_t n = 0;
    if (character < 0x80) {
        out[n++] = static_cast<char>(character);
    } else if (character < 0x800) {
        out[n++] = static_cast<char>(0xC0 | (character >> 6));
        out[n++] = static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        out[n++] = static_cast<char>(0xE0 | (character >> 12));
        out[n++] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out[n++] = static_cast<char>(0xF0 | (character >> 18));
        out[n++] = static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        out[n++] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (character & 0x3F));
    }
    out[n] = '\0';
}

}  // namespace

void PrepareInput() {
    // SDL2 drops the click that focuses its window unless told otherwise.
    SDL_setenv("SDL_MOUSE_FOCUS_CLICKTHROUGH", "1", 0);
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
    int windowX = 0;
    int windowY = 0;
    SDL_GetMouseState(&windowX, &windowY);
    WindowToPicture(windowX, windowY, &x, &y);
}

bool PointerInWindow() {
    if (pointerInsideOverride >= 0) {
        return pointerInsideOverride != 0;
    }
    SDL_Window* window = SDL_GetMouseFocus();
    return window != nullptr && window == PresentationWindow();
}

void OverridePointerInWindow(int inside) {
    pointerInsideOverride = inside;
}

void InjectKey(InputKey key, bool down, uint32_t character) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = SymOf(key);
    event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
    Feed(event);
    // As SDL2 delivers a printable key: its press, then the text it typed.
    if (down && character >= 32 && character != 127) {
        SDL_Event text = {};
        text.type = SDL_TEXTINPUT;
        Utf8Of(character, text.text.text);
        Feed(text);
    }
}

void InjectText(uint32_t character) {
    InjectKey(InputKey::Other, true, character);
}

void InjectButton(int button, bool down, int x, int y) {
    InjectPointer(x, y);
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = static_cast<Uint8>(button);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    Feed(event);
}

void InjectPointer(int x, int y) {
    int windowX = 0;
    int windowY = 0;
    PictureToWindow(x, y, &windowX, &windowY);
    SDL_Window* window = PresentationWindow();
    SDL_WarpMouseInWindow(window != nullptr ? window : SDL_GetMouseFocus(), windowX, windowY);
}

void InjectClose() {
    SDL_Event event = {};
    event.type = SDL_QUIT;
    Feed(event);
}

void InjectFocus(bool gained) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event =
        static_cast<Uint8>(gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
    Feed(event);
}
