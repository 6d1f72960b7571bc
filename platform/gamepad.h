// Game controllers. Each one is opened when it is plugged in (or found at start) and closed when it goes;
// their d-pad and left stick, and the A, B and Start buttons of the standard layout, become presses and
// releases of the few pad keys the game gives a meaning to. Several controllers act as one.
#pragma once

#include <SDL.h>

#include <cstdint>

enum class PadKey : uint8_t { Up, Down, Left, Right, A, B, Start, Count };

struct PadChange {
    PadKey key = PadKey::Up;
    bool down = false;
};

// The most changes one event can make: a controller pulled out lets go of every key at once.
inline constexpr int kMaxPadChanges = static_cast<int>(PadKey::Count);

// Takes one SDL event: opens or closes controllers on their device events, and writes the pad keys
// whose state the event changed into changes. Returns how many (0 for an event of no pad key).
int TakeGamepadEvent(const SDL_Event& event, PadChange changes[kMaxPadChanges]);
// Opens the controllers already plugged in (start-up: their buttons may skip the logo before any event
// of theirs is read). Those plugged in later are opened as their events come.
void OpenGamepads();
// Whether any controller holds the key now (its d-pad or its stick).
bool PadKeyHeld(PadKey key);
// How many controllers are open.
int OpenGamepadCount();
// Closes every controller and forgets every held key (shut-down, and a test's clean start).
void CloseGamepads();

// How far the stick must lean to press a direction, and how far back it must come to release it: the gap
// keeps a stick resting near the edge from chattering.
inline constexpr int kStickPress = 16000;
inline constexpr int kStickRelease = 8000;
