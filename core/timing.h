// Every duration of the rules, in ticks of exactly 1/60 s (the rate the step-counted rules were made
// for), with the millisecond figure it stands for; HACKING.md has the table with the roundings. Only
// whole numbers: the same ticks give the same game on every machine.
#pragma once

#include <cstdint>

#include "core/command.h"

namespace quz::core {

inline constexpr int32_t kTicksPerSecond = 60;
inline constexpr int32_t kSettleTicks = 15;          // after a removal, before the end-of-level test
inline constexpr int32_t kLevelStartIdleTicks = 600;  // 10000 ms to the first idle penalty of a level
inline constexpr int32_t kRemovalIdleTicks = 240;     // 4000 ms after a removal
inline constexpr int32_t kPenaltyIdleTicks = 60;      // 999 ms between two penalties
inline constexpr int32_t kLineIntervalTicks = 12;     // 200 ms between two dropping lines
inline constexpr int32_t kMessageTicks = 300;         // 5000 ms of level-end message
// The fade moves a level per 5 ms, 3 1/3 levels a tick: counted in thirds of a level, it moves by 10.
inline constexpr int32_t kFadeUnit = 3;
inline constexpr int32_t kFadeUnitsPerTick = 10;
// A session lasts at most four hours of ticks (a replay's cap; paused time is not ticked).
inline constexpr Tick kTickCap = 4u * 60u * 60u * 60u;

// Milliseconds of a number of ticks, for what only shows (the idle timer's seconds on the panel).
constexpr int32_t TicksToMs(int32_t ticks) {
    return ticks * 50 / 3;
}

}  // namespace quz::core
