// Storage of the values the whole program shares (see shared_state.h).
#include "game/shared_state.h"

SharedState Shared;
