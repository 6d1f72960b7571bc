// Game controllers (see gamepad.h).
#include "platform/gamepad.h"

#include <vector>

namespace {

constexpr int kKeyCount = static_cast<int>(PadKey::Count);

std::vector<SDL_GameController*> controllers;
// Presses per key from every controller's buttons and d-pad, and the direction each controller's stick
// leans on each axis (-1, 0, 1). A key is held while any of them holds it.
int buttonHolds[kKeyCount] = {};
struct StickLean {
    SDL_JoystickID id;
    int x;
    int y;
};
std::vector<StickLean> sticks;

bool Held(PadKey key) {
    const int index = static_cast<int>(key);
    if (buttonHolds[index] > 0) {
        return true;
    }
    for (const StickLean& stick : sticks) {
        if ((key == PadKey::Left && stick.x < 0) || (key == PadKey::Right && stick.x > 0) ||
            (key == PadKey::Up && stick.y < 0) || (key == PadKey::Down && stick.y > 0)) {
            return true;
        }
    }
    return false;
}

bool KeyOfButton(Uint8 button, PadKey* key) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            *key = PadKey::Up;
            return true;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            *key = PadKey::Down;
            return true;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            *key = PadKey::Left;
            return true;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            *key = PadKey::Right;
            return true;
        case SDL_CONTROLLER_BUTTON_A:
            *key = PadKey::A;
            return true;
        case SDL_CONTROLLER_BUTTON_B:
            *key = PadKey::B;
            return true;
        case SDL_CONTROLLER_BUTTON_START:
            *key = PadKey::Start;
            return true;
        default:
            return false;
    }
}

StickLean& StickOf(SDL_JoystickID id) {
    for (StickLean& stick : sticks) {
        if (stick.id == id) {
            return stick;
        }
    }
    sticks.push_back({id, 0, 0});
    return sticks.back();
}

// The lean of one axis after a new reading: it changes only past the press or release line.
int Lean(int before, Sint16 value) {
    if (value <= -kStickPress) {
        return -1;
    }
    if (value >= kStickPress) {
        return 1;
    }
    if (value > -kStickRelease && value < kStickRelease) {
        return 0;
    }
    return before;
}

// Records what changed between two snapshots of every key's state.
int Changes(const bool before[kKeyCount], PadChange changes[kMaxPadChanges]) {
    int count = 0;
    for (int i = 0; i < kKeyCount && count < kMaxPadChanges; ++i) {
        const auto key = static_cast<PadKey>(i);
        const bool now = Held(key);
        if (now != before[i]) {
            changes[count++] = {key, now};
        }
    }
    return count;
}

void Open(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) {
        return;
    }
    for (SDL_GameController* open : controllers) {
        if (open == controller) {
            SDL_GameControllerClose(controller);  // found at start and announced again: opened once
            return;
        }
    }
    controllers.push_back(controller);
}

void Close(SDL_JoystickID id) {
    for (auto it = controllers.begin(); it != controllers.end(); ++it) {
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(*it)) == id) {
            SDL_GameControllerClose(*it);
            controllers.erase(it);
            break;
        }
    }
    for (auto it = sticks.begin(); it != sticks.end(); ++it) {
        if (it->id == id) {
            sticks.erase(it);
            break;
        }
    }
    // Its buttons cannot be told from the others' any more: a controller that goes lets go of them all.
    for (int& holds : buttonHolds) {
        holds = 0;
    }
}

}  // namespace

int TakeGamepadEvent(const SDL_Event& event, PadChange changes[kMaxPadChanges]) {
    bool before[kKeyCount];
    for (int i = 0; i < kKeyCount; ++i) {
        before[i] = Held(static_cast<PadKey>(i));
    }
    PadKey key = PadKey::Up;
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            Open(event.cdevice.which);
            return 0;
        case SDL_CONTROLLERDEVICEREMOVED:
            Close(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (!KeyOfButton(event.cbutton.button, &key)) {
                return 0;
            }
            if (event.type == SDL_CONTROLLERBUTTONDOWN) {
                ++buttonHolds[static_cast<int>(key)];
            } else if (buttonHolds[static_cast<int>(key)] > 0) {
                --buttonHolds[static_cast<int>(key)];
            }
            break;
        case SDL_CONTROLLERAXISMOTION: {
            StickLean& stick = StickOf(event.caxis.which);
            if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
                stick.x = Lean(stick.x, event.caxis.value);
            } else if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
                stick.y = Lean(stick.y, event.caxis.value);
            }
            break;
        }
        default:
            return 0;
    }
    return Changes(before, changes);
}

void OpenGamepads() {
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_IsGameController(index) == SDL_TRUE) {
            Open(index);
        }
    }
}

bool PadKeyHeld(PadKey key) {
    return key < PadKey::Count && Held(key);
}

int OpenGamepadCount() {
    return static_cast<int>(controllers.size());
}

void CloseGamepads() {
    for (SDL_GameController* controller : controllers) {
        SDL_GameControllerClose(controller);
    }
    controllers.clear();
    sticks.clear();
    for (int& holds : buttonHolds) {
        holds = 0;
    }
}
