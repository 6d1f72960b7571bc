// The one input seam of the game: held keys and the application's focus state. In the program these
// are SDL's own key-state array and app state; tests hold keys or give mouse focus here, because the
// dummy video driver does neither for pushed events.
#pragma once

#include <SDL.h>

// SDL's key-state array (after the caller has pumped events), with any keys held by a test added.
const Uint8* GetHeldKeys();
// SDL_GetAppState(), or the state a test set.
Uint8 GetAppFocusState();

// Test controls. HoldKey(key, false) releases a key held before; ReleaseAllKeys clears every hold.
void HoldKey(SDLKey key, bool down);
void ReleaseAllKeys();
// A state of -1 returns to SDL's own.
void OverrideAppFocusState(int state);
