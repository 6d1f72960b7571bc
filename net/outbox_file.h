// The outbox file: the scores and games not yet sent, one per line, oldest first, under a header line. A
// game travels with its replay (base64 on its line) so it can still be verified when it goes out days
// later; a score from a game without one (or from an older outbox) carries only the message's fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PendingScore {
    char name[32] = {};
    char mode[40] = {};  // "NORMAL", "DAILY-YYYYMMDD"
    int32_t score = 0;
    bool variant = false;
    std::vector<uint8_t> replay;  // empty: only the old message can carry it
    uint64_t ticket = 0;          // this run's number for its result; 0 for one read from the file
};

inline constexpr size_t kOutboxLimit = 100;
inline constexpr char kOutboxFileName[] = "scores.outbox";
// A full outbox of games with the largest replays a submission can carry, and room to spare; a larger
// file is not ours.
inline constexpr size_t kOutboxFileLimit = 10u << 20;

// Always the current layout ("quz outbox 2").
std::string EncodeOutbox(const std::vector<PendingScore>& scores);
// Reads the current layout and the one before it (message lines only). False when the text is not an
// outbox or a line is damaged; the scores that could be read are kept.
bool DecodeOutbox(const std::string& text, std::vector<PendingScore>* scores);

std::string EncodeBase64(const std::vector<uint8_t>& bytes);
// False on any character outside the alphabet or a length that is not a whole number of groups.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes);
