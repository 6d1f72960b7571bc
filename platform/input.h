// The one input seam of the game: events, held keys, the pointer and the window's focus. In the program
// these are SDL's own; tests hold keys or give mouse focus here, because the dummy video driver does
// neither for pushed events.
#pragma once

#include <SDL.h>

// The next event, as the game reads them: a key's repeats by the system are dropped (the game repeats
// a held arrow by its own rule), and a turn of the mouse wheel arrives as a press and a release of
// kWheelUpButton or kWheelDownButton at the pointer, as a click would. False when none is queued.
bool PollInputEvent(SDL_Event* event);
inline constexpr Uint8 kWheelUpButton = 6;
inline constexpr Uint8 kWheelDownButton = 7;

// Whether the key is held (SDL's state by scancode, after the caller has pumped events), or held by a
// test.
bool KeyHeld(SDL_Keycode key);

// The pointer in the 640 by 480 picture, wherever the window shows it.
void GetPointer(int* x, int* y);
// Moves the pointer to a point of the picture.
void WarpPointer(int x, int y);

// Which of these the game's window has: the pointer over it, the keyboard, not minimised.
inline constexpr Uint8 kAppMouseFocus = 0x01;
inline constexpr Uint8 kAppInputFocus = 0x02;
inline constexpr Uint8 kAppActive = 0x04;
// The focus bits above, or the state a test set.
Uint8 GetAppFocusState();

// Test controls. HoldKey(key, false) releases a key held before; ReleaseAllKeys clears every hold.
void HoldKey(SDL_Keycode key, bool down);
void ReleaseAllKeys();
// A state of -1 returns to SDL's own.
void OverrideAppFocusState(int state);
