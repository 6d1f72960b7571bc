// How many replays the server keeps (--keep-replays): all of them, or the best N of each board. A board is
// a day's board (the verified games of one daily date), or the verified games of one mode received on one
// UTC day. The verified tab's boards of a week or of all time show the best game of each player, and a
// game among the best N players of a week or of all time is among the best N of its own day, so every
// replay linked from a top-N board is kept. Pruning empties the replay of each other verified game (its
// row and score stay; the page then links no replay for it), in the transaction of each stored game for
// that game's board, and over every board at start. Hidden games keep their replays and do not count; an
// unverified game keeps its replay, which a later server's --reverify may judge.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 0 keeps every replay.
struct ReplayRetention {
    int bestPerBoard = 0;
};

// "all", or the number of games kept per board (1 to 1000000). False with the reason otherwise.
bool ParseReplayRetention(std::string_view text, ReplayRetention* retention, std::string* problem);

enum class PruneScope {
    kAllBoards,   // $1 the number kept
    kDailyBoard,  // $1 the number kept, $2 the daily date
    kModeDay,     // $1 the number kept, $2 the mode, $3 the first millisecond of the UTC day
    kOneGame,     // $1 the game's id: a game just stored that ranks below the number kept
};

// The UPDATE that empties the replays outside the best of the scope's boards; the same in both back ends
// but for the empty replay's literal. Parameters are text, cast in the statement.
std::string PruneReplaysSql(PruneScope scope, const char* emptyReplay);

// The scope a stored verified game's transaction prunes, and its parameters. A game ranked below the
// number kept changes no other game's place, so only its own replay goes: one row, where the board's
// ranking would read all of the board's games (2,000 of one day took the store from 145 games a second to
// 75). `rank` counts the players strictly ahead, so a tie at the edge takes the board's way.
PruneScope PruneScopeOf(int rank, const ReplayRetention& retention, int64_t id, const std::string& dailyDate,
                        const std::string& mode, int64_t receivedAtMs, std::vector<std::string>* params);
