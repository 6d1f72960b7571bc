// The version of the game's rules. A replay carries the version it was played under; a program whose
// rules differ cannot re-play it faithfully and refuses it instead of reporting a false mismatch. Raise it
// with every change that can alter a game's outcome for the same seed and commands.
#pragma once

#include <cstdint>

namespace quz::core {

inline constexpr uint32_t kRulesVersion = 1;

}  // namespace quz::core
