// Replays as files: zlib-compressed replay bytes (docs/replay-format.md), read without trusting them. The
// game, quz-verify and the score server share this; it needs zlib and the rules core, never SDL.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/replay_codec.h"

namespace quz::replay {

// The most a replay file may hold on disk; every legitimate replay is far smaller.
inline constexpr size_t kMaxReplayFileBytes = core::kMaxReplayBytes;

// Compresses replay bytes into out (replacing it). False only when zlib fails.
bool PackReplay(std::span<const uint8_t> raw, std::vector<uint8_t>& out);

// The replay bytes from a file's contents: inflated, never past core::kMaxReplayBytes. Uncompressed
// replay bytes (starting with the format's magic) are taken as they are. On failure detail gets one line.
core::ReplayError UnpackReplay(std::span<const uint8_t> stored, std::vector<uint8_t>& raw,
                               std::string* detail);

// Encodes and compresses a replay; false when it cannot be encoded.
bool EncodeReplayFile(const core::Replay& replay, std::vector<uint8_t>& out);

// Reads, unpacks and decodes the replay file at path. False with one line in detail (what is wrong,
// without the path) when the file is missing, unreadable, oversized or not a sound replay.
bool ReadReplayFile(const char* path, core::Replay& replay, std::string& detail);

}  // namespace quz::replay
