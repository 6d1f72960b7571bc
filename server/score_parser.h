// Turning the bytes of one connection into a score, or into the reason it is refused. The bytes are
// whatever arrived, from anyone: nothing in them is trusted until every field has been checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/score_message.h"

// The three fixed fields a message must carry to be taken as the game's.
struct ExpectedSender {
    std::string clientTag = kDefaultClientTag;
    std::string credential = kDefaultCredential;
    std::string gameName = kDefaultGameName;
};

struct ScoreSubmission {
    uint32_t identity = 0;
    bool variant = false;  // the message was tagged RVEK rather than SVEK
    std::string name;
    std::string mode;
    int32_t score = 0;
};

enum class Verdict {
    kValid,
    kTruncated,  // shorter than a checksum and one byte of text
    kOversized,  // longer than the game ever sends
    kBadChecksum,
    kFieldCount,
    kBadIdentity,
    kBadTag,
    kWrongClientTag,
    kWrongCredential,
    kWrongGameName,
    kBadName,
    kBadMode,
    kBadScore,
};
inline constexpr size_t kVerdictCount = static_cast<size_t>(Verdict::kBadScore) + 1;

// A short lower-case phrase for logs and the health report ("bad checksum").
const char* VerdictText(Verdict verdict);
// One word for JSON keys ("bad_checksum").
const char* VerdictKey(Verdict verdict);

inline constexpr size_t kMaxNameLength = 27;
inline constexpr size_t kMaxModeLength = 31;

// Checks a whole message as received (text bytes then the 4-byte checksum). `out` is filled only for a
// valid message.
Verdict ParseScoreMessage(const uint8_t* wire, size_t size, const ExpectedSender& expected,
                          ScoreSubmission* out);

// True for 1 to maxLength printable ASCII characters (space to tilde).
bool IsPrintableText(std::string_view text, size_t maxLength);
// A player name: 0 to kMaxNameLength printable characters. The game enters an empty name when the player
// confirms without typing one.
bool IsPlayerName(std::string_view text);
