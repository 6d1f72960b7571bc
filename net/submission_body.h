// The body of a verified submission (POST /api/games): the player's name, the machine identity and the
// game's replay, as docs/score-api.md lays them out. Shared by the game that writes it and the score
// server that reads it, so both agree on the layout by construction; it depends on nothing else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr char kSubmissionMagic[4] = {'Q', 'U', 'Z', 'G'};
inline constexpr uint8_t kSubmissionVersion = 1;
// The whole body: a replay of the longest game a player can play fits many times over, and a server
// can hold a full queue of them without thinking about memory.
inline constexpr size_t kSubmissionBodyLimit = 64 * 1024;
inline constexpr size_t kSubmissionNameLimit = 27;
// magic, version, name length, identity, replay length
inline constexpr size_t kSubmissionHeaderSize = 4 + 1 + 1 + 4 + 4;
inline constexpr size_t kSubmissionReplayLimit = kSubmissionBodyLimit - kSubmissionHeaderSize;
inline constexpr char kSubmissionContentType[] = "application/x-quz-game";

struct SubmissionBody {
    std::string name;  // 0 to 27 printable ASCII characters
    uint32_t identity = 0;
    std::vector<uint8_t> replay;  // the replay file's bytes, as the game stores it
};

enum class SubmissionBodyError {
    None,
    TooLarge,        // more than kSubmissionBodyLimit bytes
    NotASubmission,  // too short for the header, or the magic is wrong
    UnknownVersion,
    BadName,    // too long, or a byte outside printable ASCII
    BadLength,  // the replay length disagrees with the body's size
    EmptyReplay,
};

// A name the body may carry: at most 27 bytes, each a printable ASCII character (space to tilde).
bool IsSubmissionName(std::string_view name);

// Appends the body to out. False (out unchanged) when the name is not a submission name or the body
// would exceed kSubmissionBodyLimit.
bool EncodeSubmissionBody(const SubmissionBody& body, std::vector<uint8_t>& out);

// Reads a body received from anyone: every length is checked against the bytes that are there before it
// is used. On failure body is unspecified.
SubmissionBodyError DecodeSubmissionBody(std::span<const uint8_t> bytes, SubmissionBody& body);

// A short reason for a person or a log ("bad name").
const char* SubmissionBodyErrorText(SubmissionBodyError error);
