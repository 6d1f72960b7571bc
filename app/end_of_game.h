// The end of a game in the shell: a confirmed name goes into the high-score table (saved at once) and
// the score to the score server.
#pragma once

#include <cstdint>
#include <vector>

#include "app/finished_game.h"

struct Game;

// Enters the name and score in the table (not for a game of the board of the day, a contest of its own),
// queues the game for sending (with its replay when there is one, else as the old message alone), and
// keeps the time the save took out of the next frame's step. Returns what the score screen shows of it
// (its row in the table, its ticket with the sender).
FinishedGame RecordConfirmedName(const char* name, int32_t score, const char* mode = "NORMAL",
                                 std::vector<uint8_t> replay = {});

// The same for a game whose name was just confirmed: its replay as the server will re-play it, and its
// level on the score screen. The name is kept for the next game's entry.
FinishedGame SendConfirmedGame(const Game& game);

// What a new game needs from the shell for its name entry: the last name to start from, and the score
// above which it takes a place in the player's table (none for the board of the day).
void PrepareNameEntry(Game* game, bool daily);
