// Storage of the process-wide values (see shared_state.h).
#include "game/shared_state.h"

FrameClockValues FrameClock;
AppModeKind AppMode = AppModeKind::InMenu;
bool fullScreen = true;
SDL_Surface* screen = nullptr;
char languageCode[32] = "fr";
char languageTexts[4][256] = {};
