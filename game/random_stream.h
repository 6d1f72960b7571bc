// The random streams of the presenter and the menu (the stream itself is the rules core's), and seeds
// taken from the clock.
#pragma once

#include <cstdint>

#include "core/random_stream.h"

using quz::core::RandomStream;

// A seed from the wall clock and the milliseconds since start-up, different at every call within a run
// as long as time moves; salt tells two streams seeded in the same millisecond apart.
uint32_t ClockSeed(uint32_t salt);
