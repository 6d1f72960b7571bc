// A played game as bytes: the seed and mode it started from, every command the player gave, and the
// outcome the game reached. docs/replay-format.md is the layout; this is its only reader and writer.
// It works on bytes in memory; compressing them and storing them is left to the callers.
//
// The decoder takes bytes from anywhere (a player's folder, the network) and trusts none of them: every
// size is checked before it is used, every loop is bounded by the input's length, and a file claiming
// more play than the tick cap is refused before anything is re-played.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/command.h"

namespace quz::core {

inline constexpr uint8_t kReplayFormatVersion = 1;
// Four hours of play: the longest game a replay may hold.
inline constexpr Tick kReplayTickCap = 4 * 60 * 60 * 60;
// Far above any game a player can play within the tick cap, low enough that a reader can hold it.
inline constexpr size_t kMaxReplayBytes = 8u << 20;
inline constexpr size_t kMaxModeLength = 32;

// What the game reached when it ended; a re-play must reach the same.
struct ReplayOutcome {
    int32_t score = 0;
    int32_t level = 0;  // the level the game ended on
    Tick ticks = 0;     // ticks played, pauses not counted
    bool over = false;  // the session ended by its rules (false: the program stopped in the middle)
    uint64_t stateHash = 0;

    friend bool operator==(const ReplayOutcome&, const ReplayOutcome&) = default;
};

struct Replay {
    uint32_t rulesVersion = 0;
    uint64_t seed = 0;
    // The lowest score of the player's high-score table when the game began: it decides whether the game
    // ends with the name entry, so a re-play needs it.
    int32_t tableFloor = 0;
    std::string mode;               // "NORMAL", "DAILY-YYYYMMDD": capital letters, digits and '-'
    std::vector<Command> commands;  // in tick order
    ReplayOutcome outcome;

    friend bool operator==(const Replay&, const Replay&) = default;
};

enum class ReplayError {
    None,
    TooLarge,       // more bytes than kMaxReplayBytes
    NotAReplay,     // the magic is wrong
    UnknownFormat,  // a format version this program cannot read
    Truncated,      // fewer bytes than the replay says it has
    TrailingBytes,  // more bytes than the replay says it has
    Damaged,        // the checksum does not match the bytes
    Malformed,      // checksum right but the content breaks the format's rules
    OverTickCap,    // claims more ticks than kReplayTickCap
};

// A mode string the format accepts.
bool IsValidMode(std::string_view mode);

// Appends the replay's bytes to out. False (out unchanged) when the replay cannot be written as it is:
// commands out of tick order, past its ticks or past the cap, an argument the format cannot hold, or a
// mode it does not accept.
bool EncodeReplay(const Replay& replay, std::vector<uint8_t>& out);

// Reads a replay. On failure the error says which check failed and detail (when given) gets one line
// for a person, such as "truncated: 120 of 300 bytes"; replay is then unspecified.
ReplayError DecodeReplay(std::span<const uint8_t> bytes, Replay& replay, std::string* detail = nullptr);

// CRC-32 (the one of zlib and PNG), the format's checksum; exposed for tests that forge replays.
uint32_t ReplayChecksum(std::span<const uint8_t> bytes);

}  // namespace quz::core
