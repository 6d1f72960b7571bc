// A small seeded random stream giving 0 to 32767, the range the game's rules were written for. The game
// keeps two: one for the rules (colours, bonus places, bonus points), one for decoration (animation
// phases, menu stars), so that a seed replays a game exactly whatever the decoration draws.
#pragma once

#include <cstdint>

class RandomStream {
  public:
    static constexpr int32_t kMax = 32767;

    RandomStream() = default;
    explicit RandomStream(uint32_t seed) : state_(seed) {}

    void Seed(uint32_t seed) { state_ = seed; }

    // The next value, 0 to kMax. A linear congruential step: the high bits of the state, whose low bits
    // would repeat with a short period.
    int32_t Next() {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int32_t>((state_ >> 16) & kMax);
    }

  private:
    uint32_t state_ = 1;
};

// A seed from the wall clock and the milliseconds since start-up, different at every call within a run
// as long as time moves; salt tells two streams seeded in the same millisecond apart.
uint32_t ClockSeed(uint32_t salt);
