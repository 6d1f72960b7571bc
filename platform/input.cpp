// Input seam (see input.h).
#include "platform/input.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

Uint8 heldByTest[SDLK_LAST];
bool anyHeld = false;
Uint8 merged[SDLK_LAST];
int focusOverride = -1;

}  // namespace

const Uint8* GetHeldKeys() {
    int count = 0;
    const Uint8* keys = SDL_GetKeyState(&count);
    if (!anyHeld) {
        return keys;
    }
    // Only tests take this path; a copy keeps SDL's array untouched.
    memset(merged, 0, sizeof merged);
    if (keys != nullptr) {
        memcpy(merged, keys, std::min<size_t>(static_cast<size_t>(std::max(count, 0)), sizeof merged));
    }
    for (size_t i = 0; i < sizeof merged; ++i) {
        merged[i] |= heldByTest[i];
    }
    return merged;
}

Uint8 GetAppFocusState() {
    return focusOverride >= 0 ? static_cast<Uint8>(focusOverride) : SDL_GetAppState();
}

void HoldKey(SDLKey key, bool down) {
    if (key < 0 || key >= SDLK_LAST) {
        return;
    }
    heldByTest[key] = down ? 1 : 0;
    anyHeld = std::any_of(std::begin(heldByTest), std::end(heldByTest), [](Uint8 k) { return k != 0; });
}

void ReleaseAllKeys() {
    memset(heldByTest, 0, sizeof heldByTest);
    anyHeld = false;
}

void OverrideAppFocusState(int state) {
    focusOverride = state;
}
