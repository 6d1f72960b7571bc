// Forging replays for the tests that must see forgeries refused: after an edit of the bytes, set the
// declared length and the checksum to match again, as someone faking a game would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/replay_codec.h"

namespace quz::testing {

inline void PutLittleEndian32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

inline void ResealReplay(std::vector<uint8_t>& bytes) {
    PutLittleEndian32(bytes, 5, static_cast<uint32_t>(bytes.size()));
    const size_t body = bytes.size() - 4;
    PutLittleEndian32(bytes, body, core::ReplayChecksum(std::span(bytes).first(body)));
}

// Replaces the outcome's ticks varint (oldLength bytes, just before the end byte, the hash and the
// checksum) with another spelling, and reseals.
inline void ReplaceReplayTicks(std::vector<uint8_t>& bytes, size_t oldLength, const std::vector<uint8_t>& varint) {
    const auto at = static_cast<ptrdiff_t>(bytes.size() - 13 - oldLength);
    bytes.erase(bytes.begin() + at, bytes.begin() + at + static_cast<ptrdiff_t>(oldLength));
    bytes.insert(bytes.begin() + at, varint.begin(), varint.end());
    ResealReplay(bytes);
}

}  // namespace quz::testing
