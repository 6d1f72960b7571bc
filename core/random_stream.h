// A small seeded random stream giving 0 to 32767, the range the game's rules were written for. The rules
// and the decoration draw from streams of their own, so that a seed replays a game exactly whatever the
// decoration draws.
#pragma once

#include <cstdint>

namespace quz::core {

class RandomStream {
  public:
    static constexpr int32_t kMax = 32767;

    RandomStream() = default;
    explicit RandomStream(uint32_t seed) : state_(seed) {}

    void Seed(uint32_t seed) { state_ = seed; }
    uint32_t State() const { return state_; }

    // The next value, 0 to kMax. A linear congruential step: the high bits of the state, whose low bits
    // would repeat with a short period.
    int32_t Next() {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int32_t>((state_ >> 16) & kMax);
    }

  private:
    uint32_t state_ = 1;
};

}  // namespace quz::core
