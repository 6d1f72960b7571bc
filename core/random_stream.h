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

// The streams a game's rules draw from. Each deal, the level and the attempt at that level key a stream
// of its own, so the same game seed deals every player the same boards whatever they played before.
enum class RulesStream : uint8_t {
    Deal,    // the board's colours and bonus places, then the lines that drop into that deal
    Points,  // the points bonus's 500 or 1000
};

// The seed of one stream of one deal: the game seed, level and attempt (0 for the first) mixed so that
// neighbouring keys give unrelated streams.
uint32_t StreamSeed(uint64_t gameSeed, int32_t level, int32_t attempt, RulesStream stream);

}  // namespace quz::core
