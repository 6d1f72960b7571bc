// The keyed seeds of the rules' streams (see random_stream.h).
#include "core/random_stream.h"

namespace quz::core {

namespace {

// The finaliser of SplitMix64: every input bit reaches every output bit.
uint64_t Mix(uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

}  // namespace

uint32_t StreamSeed(uint64_t gameSeed, int32_t level, int32_t attempt, RulesStream stream) {
    const uint64_t key = static_cast<uint64_t>(static_cast<uint32_t>(level)) << 32 |
                         static_cast<uint64_t>(static_cast<uint32_t>(attempt)) << 8 |
                         static_cast<uint64_t>(stream);
    return static_cast<uint32_t>(Mix(Mix(gameSeed) ^ key) >> 32);
}

}  // namespace quz::core
