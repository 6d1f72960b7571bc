// What the server makes of a game sent to POST /api/games: the body read without trusting it, the replay
// unpacked with its caps, a daily game's seed and date checked, and the game re-played under this server's
// rules; stored only when it ends exactly as the replay claims. Pure: no socket, no database, no clock
// (today is given), so each forgery is tested directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A day's board takes games on that day and the next (UTC), for a game finished before midnight and sent
// late. Its replays stay private until it takes none, so nobody can send the leader's play, under another
// name, to the board it leads.
inline bool DailyBoardTakesGames(int64_t dailyDays, int64_t todayDays) {
    return dailyDays == todayDays || dailyDays == todayDays - 1;
}
inline bool DailyBoardOver(int64_t dailyDays, int64_t todayDays) {
    return dailyDays < todayDays - 1;
}

enum class GameVerdict {
    Verified,
    Unverified,  // a rules version this server does not know: stored, marked, never lost
    BadFormat,
    TooLarge,  // the body over its cap, the replay over its size, or claiming more ticks than the cap
    ScoreMismatch,
    HashMismatch,  // the score agrees but the re-played game ends elsewhere (level, ticks, state)
    DailySeedMismatch,
    DailyDateOutOfRange,  // a daily game neither of today nor of yesterday (UTC)
    NameMismatch,         // the name sent is not the one typed in the game
    Unfinished,           // the replay stops before its game ended
    Copy,                 // decided by the store: the same seed and commands were stored before
};
inline constexpr size_t kGameVerdictCount = 11;

// "verified", "bad_format"...: the key of a counter.
const char* GameVerdictKey(GameVerdict verdict);
// "bad format", "score mismatch"...: the short reason an answer gives.
const char* GameVerdictText(GameVerdict verdict);
// 201 for stored games, 400, 409, 413 or 422 for refusals.
int GameVerdictStatus(GameVerdict verdict);

struct CheckedGame {
    std::string name;
    uint32_t identity = 0;
    std::string mode;
    std::string dailyDate;  // "YYYY-MM-DD" for a game of the board of the day
    uint32_t rulesVersion = 0;
    uint64_t seed = 0;
    int32_t score = 0;
    int32_t level = 0;
    uint32_t ticks = 0;
    uint64_t stateHash = 0;
    std::string reason;               // why an unverified game is not verified
    std::vector<uint8_t> replayFile;  // the replay as sent (compressed), kept for download and re-checks
    std::string replayKey;            // the same for the same seed and commands, whoever sends them
};

// Judges a body. todayDays: today's UTC date as days since 1970-01-01. On a refusal, detail (if given)
// gets one line for the log.
GameVerdict CheckGame(std::span<const uint8_t> body, int64_t todayDays, CheckedGame* game,
                      std::string* detail = nullptr);

// Re-plays a stored replay file again (quz-scored --reverify): Verified when it still ends as it claims
// under this server's rules.
GameVerdict RecheckReplay(std::span<const uint8_t> replayFile, std::string* detail);

// "00f3..." (16 hex digits).
std::string Hex64(uint64_t value);
