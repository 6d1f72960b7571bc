// Keeps each finished game's replay in the player's replays folder (replay/replay_folder.h): the file is
// written whole or not at all, the games beyond the last 20 are removed, and best.quzr is replaced when
// this game scored more than the one it holds.
#pragma once

#include <ctime>
#include <string>

#include "core/replay_codec.h"

struct Game;

// dataFolder is the player's data folder (GetUserDataDirectory); `when` names the file. Returns false,
// with one line on stderr, when the replay could not be kept; the game goes on either way. The path
// written goes to savedPath when given.
bool KeepReplay(const std::string& dataFolder, const quz::core::Replay& replay, std::time_t when,
                std::string* savedPath = nullptr);

// Keeps the replay of a game that has ended (or is left when the program quits) in the player's data
// folder; without one (no home folder) nothing is kept.
void KeepGameReplay(const Game& game);
